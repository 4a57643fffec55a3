#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace quorvel::test {

// A port on 127.0.0.1 where a connection never completes: the socket listens, but its
// queue is full and nobody accepts, so the kernel drops every further SYN. A client then
// waits for its connect timeout, which is how an unreachable host looks (a closed port
// answers at once with "refused" instead).
class UnansweredPort {
public:
    UnansweredPort() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(m_listen, 0);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        // A queue of length 0 holds one connection; these fill it, whichever of them the
        // kernel lets in.
        for (int& filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        }
    }
    ~UnansweredPort() {
        for (const int filler : m_fillers)
            ::close(filler);
        ::close(m_listen);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    int Port() const { return m_port; }
    std::string Url(const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(m_port) + "/";
    }

private:
    int m_listen = -1;
    int m_fillers[2] = {-1, -1};
    int m_port = 0;
};

}  // namespace quorvel::test
