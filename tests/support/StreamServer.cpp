#include "StreamServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace quorvel::test {
namespace {

int ListenOnLoopback(int& port, int backlog) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        (backlog > 0 && ::listen(fd, backlog) != 0) ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("StreamServer: no socket");
    }
    port = ntohs(address.sin_port);
    return fd;
}

struct Connection {
    int fd = -1;
    std::string request;
    std::string out;
    std::size_t sent = 0;
    bool answered = false;  // reading is over: writing, holding or stalling
    bool keepOpen = false;
};

}  // namespace

StreamServer::StreamServer() {
    m_listenFd = ListenOnLoopback(m_port, 4096);
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0)
        throw std::runtime_error("StreamServer: no pipe");
    m_thread = std::thread([this] { Loop(); });
}

StreamServer::~StreamServer() {
    const char stop = 'x';
    (void)!::write(m_wakePipe[1], &stop, 1);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void StreamServer::Answer(const std::string& path, std::string response, Ending ending) {
    const std::lock_guard lock(m_mutex);
    m_routes[path] = Route{std::move(response), ending, false};
}

void StreamServer::Stall(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    m_routes[path] = Route{{}, Ending::KeepOpen, true};
}

std::string StreamServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::string StreamServer::Response(int status, std::string_view contentType, std::string_view body,
                                   std::string_view extraHeaders) {
    std::string out = "HTTP/1.0 " + std::to_string(status) + " Status\r\n";
    if (!contentType.empty())
        out.append("Content-Type: ").append(contentType).append("\r\n");
    out.append(extraHeaders);
    out.append("\r\n").append(body);
    return out;
}

int StreamServer::RefusingPort() {
    int port = 0;
    ::close(ListenOnLoopback(port, 0));
    return port;
}

int StreamServer::RequestCount(const std::string& path) const {
    const std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(path);
    return it == m_counts.end() ? 0 : it->second;
}

StreamServer::Route StreamServer::Lookup(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    ++m_counts[path];
    auto it = m_routes.find(path);
    if (it == m_routes.end())
        it = m_routes.find(path.substr(0, path.find('?')));
    if (it != m_routes.end())
        return it->second;
    return Route{Response(404, "text/plain", "not found"), Ending::Close, false};
}

void StreamServer::Loop() {
    std::vector<Connection> connections;
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({m_wakePipe[0], POLLIN, 0});
        fds.push_back({m_listenFd, POLLIN, 0});
        for (const auto& c : connections) {
            const bool writing = c.answered && c.sent < c.out.size();
            fds.push_back({c.fd, static_cast<short>(writing ? POLLOUT : POLLIN), 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int fd =
                    ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    break;
                Connection connection;
                connection.fd = fd;
                connections.push_back(std::move(connection));
            }
        }
        std::vector<Connection> kept;
        kept.reserve(connections.size());
        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection& c = connections[i];
            const short events = i + 2 < fds.size() ? fds[i + 2].revents : 0;
            bool close = false;
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                char buffer[4096];
                const ssize_t got = ::read(c.fd, buffer, sizeof(buffer));
                if (got <= 0) {
                    close = true;
                } else if (!c.answered) {
                    c.request.append(buffer, static_cast<std::size_t>(got));
                    if (c.request.find("\r\n\r\n") != std::string::npos) {
                        const std::size_t start = c.request.find(' ') + 1;
                        const std::string path =
                            c.request.substr(start, c.request.find(' ', start) - start);
                        const Route route = Lookup(path);
                        c.answered = true;
                        c.out = route.response;
                        c.keepOpen = route.ending == Ending::KeepOpen;
                    }
                }
            }
            if (!close && (events & POLLOUT)) {
                const ssize_t sent =
                    ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
                if (sent <= 0)
                    close = true;
                else
                    c.sent += static_cast<std::size_t>(sent);
                if (c.sent == c.out.size() && !c.keepOpen)
                    close = true;
            }
            if (close)
                ::close(c.fd);
            else
                kept.push_back(std::move(c));
        }
        connections.swap(kept);
    }
    for (const auto& c : connections)
        ::close(c.fd);
}

}  // namespace quorvel::test
