#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace quorvel::test {
namespace {

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return;  // the client went away: nothing to do
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::string HeaderValue(std::string_view head, std::string_view name) {
    std::size_t pos = 0;
    while ((pos = head.find("\r\n", pos)) != std::string_view::npos) {
        pos += 2;
        const std::size_t colon = head.find(':', pos);
        const std::size_t end = head.find("\r\n", pos);
        if (colon == std::string_view::npos || colon > end)
            continue;
        std::string key(head.substr(pos, colon - pos));
        std::transform(key.begin(), key.end(), key.begin(), ::tolower);
        if (key == name) {
            std::string_view value = head.substr(colon + 1, end - colon - 1);
            while (!value.empty() && value.front() == ' ')
                value.remove_prefix(1);
            return std::string(value);
        }
    }
    return {};
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0 || ::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("LocalHttpServer: no socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listenFd, 64) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("LocalHttpServer: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    m_stopping = true;
    {
        std::lock_guard lock(m_mutex);
        for (const int fd : m_openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    m_stopped.notify_all();
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(m_wakePipe[1], &byte, 1);
    m_acceptThread.join();
    for (auto& worker : m_workers)
        worker.join();
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void LocalHttpServer::Serve(const std::string& path, std::string body, std::string contentType) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.body = std::move(body);
    route.contentType = std::move(contentType);
    m_routes[path] = std::move(route);
}

void LocalHttpServer::Stall(const std::string& path) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.stall = true;
    m_routes[path] = std::move(route);
}

void LocalHttpServer::Hold(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_routes[path].held = true;
    m_released = false;
}

void LocalHttpServer::Redirect(const std::string& path, std::string location) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.status = 302;
    route.location = std::move(location);
    m_routes[path] = std::move(route);
}

void LocalHttpServer::ServeStatus(const std::string& path, int status, std::string body) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.status = status;
    route.body = std::move(body);
    route.contentType = "text/html";
    m_routes[path] = std::move(route);
}

void LocalHttpServer::AddHeaders(const std::string& path, std::string headers) {
    std::lock_guard lock(m_mutex);
    m_routes[path].headers = std::move(headers);
}

void LocalHttpServer::ServeFilled(const std::string& path, std::uint64_t size, char fill) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.fillSize = size;
    route.fill = fill;
    route.contentType = "text/html";
    m_routes[path] = std::move(route);
}

void LocalHttpServer::ServeEndless(const std::string& path, std::string head, std::string line,
                                   std::string contentType, std::uint64_t holdAt) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.endless = true;
    route.body = std::move(head);
    route.line = std::move(line);
    route.contentType = std::move(contentType);
    route.holdAt = holdAt;
    m_routes[path] = std::move(route);
}

void LocalHttpServer::ServeTrickle(const std::string& path, int intervalMs) {
    std::lock_guard lock(m_mutex);
    Route route;
    route.endless = true;
    route.line = "x";
    route.contentType = "text/html";
    route.trickleMs = intervalMs;
    m_routes[path] = std::move(route);
}

void LocalHttpServer::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_stopped.notify_all();
}

std::uint64_t LocalHttpServer::BytesSent(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_sent.find(path);
    return it == m_sent.end() ? 0 : it->second;
}

bool LocalHttpServer::WaitForBytesSent(const std::string& path, std::uint64_t bytes,
                                       int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    return m_requested.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        const auto it = m_sent.find(path);
        return it != m_sent.end() && it->second >= bytes;
    });
}

void LocalHttpServer::CountSent(const std::string& path, std::uint64_t bytes) {
    std::lock_guard lock(m_mutex);
    m_sent[path] += bytes;
    m_requested.notify_all();
}

void LocalHttpServer::SendEndless(int fd, const std::string& path, const Route& route) {
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: " + route.contentType +
                    "\r\nConnection: close\r\n\r\n" + route.body);
    std::string chunk;
    while (chunk.size() < 16 * 1024 && route.trickleMs == 0)
        chunk += route.line;
    if (route.trickleMs > 0)
        chunk = route.line.substr(0, 1);
    std::uint64_t sent = 0;
    bool held = false;
    while (!m_stopping) {
        if (route.holdAt > 0 && sent >= route.holdAt && !held) {
            held = true;
            std::unique_lock lock(m_mutex);
            m_stopped.wait(lock, [this] { return m_stopping.load() || m_released; });
            continue;
        }
        std::size_t n = chunk.size();
        if (route.holdAt > 0 && !held)
            n = static_cast<std::size_t>(std::min<std::uint64_t>(n, route.holdAt - sent));
        const ssize_t written = ::send(fd, chunk.data(), n, MSG_NOSIGNAL);
        if (written <= 0)
            break;  // the client hung up, as it should past its size limit
        sent += static_cast<std::uint64_t>(written);
        CountSent(path, static_cast<std::uint64_t>(written));
        if (route.trickleMs > 0) {
            std::unique_lock lock(m_mutex);
            m_stopped.wait_for(lock, std::chrono::milliseconds(route.trickleMs),
                               [this] { return m_stopping.load(); });
        }
    }
}

std::string LocalHttpServer::LastRequestHead(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_heads.find(path);
    return it == m_heads.end() ? std::string() : it->second;
}

std::string LocalHttpServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

int LocalHttpServer::RequestCount() const {
    std::lock_guard lock(m_mutex);
    return m_total;
}

bool LocalHttpServer::WaitForRequests(const std::string& path, int count, int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    return m_requested.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        const auto it = m_counts.find(path);
        return it != m_counts.end() && it->second >= count;
    });
}

int LocalHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(path);
    return it == m_counts.end() ? 0 : it->second;
}

void LocalHttpServer::AcceptLoop() {
    pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
    while (!m_stopping) {
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (m_stopping || (fds[1].revents & POLLIN))
            return;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_openFds.push_back(fd);
        m_workers.emplace_back([this, fd] { HandleConnection(fd); });
    }
}

bool LocalHttpServer::ReadRequestHead(int fd, std::string& head) {
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > 64 * 1024)
            return false;
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return false;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void LocalHttpServer::WaitUntilStopped() {
    std::unique_lock lock(m_mutex);
    m_stopped.wait(lock, [this] { return m_stopping.load(); });
}

void LocalHttpServer::HandleConnection(int fd) {
    std::string head;
    if (ReadRequestHead(fd, head)) {
        const std::size_t methodEnd = head.find(' ');
        const std::size_t pathEnd = head.find(' ', methodEnd + 1);
        const std::string method = head.substr(0, methodEnd);
        const std::string path = methodEnd == std::string::npos || pathEnd == std::string::npos
                                     ? std::string("/")
                                     : head.substr(methodEnd + 1, pathEnd - methodEnd - 1);
        Route route;
        bool found = false;
        {
            std::lock_guard lock(m_mutex);
            ++m_total;
            ++m_counts[path];
            m_requested.notify_all();
            m_heads[path] = head.substr(0, head.find("\r\n\r\n"));
            auto it = m_routes.find(path);
            if (it == m_routes.end())
                it = m_routes.find(path.substr(0, path.find('?')));
            if (it != m_routes.end()) {
                route = it->second;
                found = true;
            }
        }
        if (found && route.held) {
            std::unique_lock lock(m_mutex);
            m_stopped.wait(lock, [this] { return m_stopping.load() || m_released; });
        }
        if (found && route.stall) {
            WaitUntilStopped();
        } else if (found && route.status != 200) {
            std::string answer = "HTTP/1.1 " + std::to_string(route.status) + " Status\r\n";
            if (!route.location.empty())
                answer += "Location: " + route.location + "\r\n";
            answer += route.headers;
            answer +=
                "Content-Type: text/html\r\nContent-Length: " + std::to_string(route.body.size()) +
                "\r\nConnection: close\r\n\r\n";
            SendAll(fd, answer + route.body);
        } else if (found && route.endless) {
            SendEndless(fd, path, route);
        } else if (found && route.fillSize > 0) {
            SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: " + route.contentType +
                            "\r\nContent-Length: " + std::to_string(route.fillSize) +
                            "\r\nConnection: close\r\n\r\n");
            const std::string chunk(64 * 1024, route.fill);
            std::uint64_t left = route.fillSize;
            while (left > 0 && !m_stopping) {
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
                const ssize_t sent = ::send(fd, chunk.data(), n, MSG_NOSIGNAL);
                if (sent <= 0)
                    break;  // the client hung up, as it should past its size limit
                left -= static_cast<std::uint64_t>(sent);
            }
        } else if (!found) {
            SendAll(fd,
                    "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
                    "Connection: close\r\n\r\nNot found");
        } else {
            const std::size_t size = route.body.size();
            std::size_t first = 0;
            std::size_t last = size == 0 ? 0 : size - 1;
            bool partial = false;
            const std::string range = HeaderValue(head, "range");
            unsigned long long from = 0;
            unsigned long long to = 0;
            const int fields = std::sscanf(range.c_str(), "bytes=%llu-%llu", &from, &to);
            if (fields >= 1 && from < size) {
                first = static_cast<std::size_t>(from);
                if (fields == 2 && to < size)
                    last = static_cast<std::size_t>(to);
                partial = first > 0 || last + 1 < size;
            }
            const std::size_t length = size == 0 ? 0 : last - first + 1;
            std::string answer =
                partial ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
            answer += "Content-Type: " + route.contentType + "\r\n";
            answer += "Content-Length: " + std::to_string(length) + "\r\n";
            answer += "Accept-Ranges: bytes\r\n";
            answer += route.headers;
            if (partial) {
                answer += "Content-Range: bytes " + std::to_string(first) + "-" +
                          std::to_string(last) + "/" + std::to_string(size) + "\r\n";
            }
            answer += "Connection: close\r\n\r\n";
            SendAll(fd, answer);
            if (method != "HEAD")
                SendAll(fd, std::string_view(route.body).substr(first, length));
        }
    }
    std::lock_guard lock(m_mutex);
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
    m_openFds.erase(std::remove(m_openFds.begin(), m_openFds.end(), fd), m_openFds.end());
}

}  // namespace quorvel::test
