#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quorvel::test {

// A small HTTP/1.1 server on 127.0.0.1 and a free port, for tests. Serves the bytes given
// for a path (with byte ranges, so media players can seek), answers 404 for other paths,
// and can stall a path: the connection is accepted and read, and never answered, or answered
// only once the test releases it.
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
    // The path's answer waits until Release (a slow server); set after Serve.
    void Hold(const std::string& path);
    // Answers 302 with this Location.
    void Redirect(const std::string& path, std::string location);
    // Answers with the status and body given (an error page, for instance).
    void ServeStatus(const std::string& path, int status, std::string body);
    // A body of `size` bytes of `fill`, made while it is sent, so that huge answers cost
    // no memory.
    void ServeFilled(const std::string& path, std::uint64_t size, char fill = 'x');
    // An answer without end: `head`, then `line` again and again until the client hangs up.
    // With `holdAt`, sending stops after that many body bytes until Release.
    void ServeEndless(const std::string& path, std::string head, std::string line,
                      std::string contentType, std::uint64_t holdAt = 0);
    // An answer that never ends and never stalls: one byte, then another every intervalMs.
    void ServeTrickle(const std::string& path, int intervalMs);
    void Release();
    // Further header lines ("Name: value\r\n" each) for the path's answers; set after Serve
    // or ServeStatus.
    void AddHeaders(const std::string& path, std::string headers);

    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(std::string_view path) const;
    // Requests received, in all or for one path (query included when it was sent).
    int RequestCount() const;
    int RequestCount(const std::string& path) const;
    // Waits until the path has had `count` requests in all; false after the timeout (a
    // failure guard, not a pace).
    bool WaitForRequests(const std::string& path, int count, int timeoutMs) const;
    // Body bytes the path's answers have handed to the network so far, and a wait for them
    // to reach `bytes` (false after the timeout, a failure guard).
    std::uint64_t BytesSent(const std::string& path) const;
    bool WaitForBytesSent(const std::string& path, std::uint64_t bytes, int timeoutMs) const;
    // The head (request line and headers) of the last request for a path.
    std::string LastRequestHead(const std::string& path) const;

private:
    struct Route {
        std::string body;
        std::string contentType;
        bool stall = false;
        bool held = false;
        int status = 200;
        std::string location;
        std::uint64_t fillSize = 0;
        char fill = 'x';
        bool endless = false;
        std::string line;
        std::uint64_t holdAt = 0;
        int trickleMs = 0;
        std::string headers;
    };

    void AcceptLoop();
    void HandleConnection(int fd);
    bool ReadRequestHead(int fd, std::string& head);
    void WaitUntilStopped();
    void SendEndless(int fd, const std::string& path, const Route& route);
    void CountSent(const std::string& path, std::uint64_t bytes);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    mutable std::condition_variable m_requested;
    std::map<std::string, Route> m_routes;
    std::map<std::string, int> m_counts;
    std::map<std::string, std::string> m_heads;
    std::map<std::string, std::uint64_t> m_sent;
    bool m_released = false;
    int m_total = 0;
    std::vector<int> m_openFds;
    std::vector<std::thread> m_workers;
    std::thread m_acceptThread;
};

}  // namespace quorvel::test
