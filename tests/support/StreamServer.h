#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quorvel::test {

// A tiny HTTP server on 127.0.0.1 for stream probes: one thread, poll(), any number of
// connections at once. Each path answers with raw bytes given by the test (status line,
// headers, body) and then closes, or keeps the connection open like a live stream, or
// stalls (reads the request and never answers). A path with a query falls back to the
// path without it; unknown paths get 404.
class StreamServer {
public:
    enum class Ending { Close, KeepOpen };

    StreamServer();
    ~StreamServer();
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    void Answer(const std::string& path, std::string response, Ending ending = Ending::Close);
    void Stall(const std::string& path);

    int Port() const { return m_port; }
    // Requests answered so far for a path, counted before the answer goes out.
    int RequestCount(const std::string& path) const;
    std::string Url(std::string_view path) const;

    // "HTTP/1.0 <status>" with a content type, extra header lines and the body.
    static std::string Response(int status, std::string_view contentType, std::string_view body,
                                std::string_view extraHeaders = {});
    // A port on 127.0.0.1 that nobody listens on (bound, then closed).
    static int RefusingPort();

private:
    struct Route {
        std::string response;
        Ending ending = Ending::Close;
        bool stall = false;
    };
    void Loop();
    Route Lookup(const std::string& path);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Route> m_routes;
    std::map<std::string, int> m_counts;
    std::thread m_thread;
};

}  // namespace quorvel::test
