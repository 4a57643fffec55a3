#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quorvel::test {

// A small HTTP/1.1 server on 127.0.0.1 and a free port, for tests. Serves the bytes given
// for a path (with byte ranges, so media players can seek), answers 404 for other paths,
// and can stall a path: the connection is accepted and read, and never answered, or answer
// it only after a delay.
// Every connection closes after one answer. Stops and joins its threads when destroyed.
class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void Serve(const std::string& path, std::string body,
               std::string contentType = "application/octet-stream");
    void Stall(const std::string& path);
    // The path's answer waits this long (a slow server); set after Serve.
    void Delay(const std::string& path, int milliseconds);

    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(std::string_view path) const;
    // Requests received, in all or for one path (query included when it was sent).
    int RequestCount() const;
    int RequestCount(const std::string& path) const;

private:
    struct Route {
        std::string body;
        std::string contentType;
        bool stall = false;
        int delayMs = 0;
    };

    void AcceptLoop();
    void HandleConnection(int fd);
    bool ReadRequestHead(int fd, std::string& head);
    void WaitUntilStopped();

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    std::map<std::string, Route> m_routes;
    std::map<std::string, int> m_counts;
    int m_total = 0;
    std::vector<int> m_openFds;
    std::vector<std::thread> m_workers;
    std::thread m_acceptThread;
};

}  // namespace quorvel::test
