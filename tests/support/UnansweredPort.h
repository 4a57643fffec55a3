#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace quorvel::test {

// A port on 127.0.0.1 where a connection never completes: it listens, but its queue is full
// and nobody accepts, so the kernel drops every further SYN and a client waits for its
// connect timeout, as for an unreachable host (a closed port is refused at once instead).
class UnansweredPort {
public:
    UnansweredPort() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        auto* any = reinterpret_cast<sockaddr*>(&address);
        ::bind(m_fds[0], any, length);
        ::listen(m_fds[0], 0);
        ::getsockname(m_fds[0], any, &length);
        m_port = ntohs(address.sin_port);
        // A queue of length 0 holds one connection: these fill it.
        for (int i = 1; i < 3; ++i) {
            m_fds[i] = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(m_fds[i], any, length);
        }
    }
    ~UnansweredPort() {
        for (const int fd : m_fds)
            ::close(fd);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

private:
    int m_fds[3] = {::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), -1, -1};
    int m_port = 0;
};

}  // namespace quorvel::test
