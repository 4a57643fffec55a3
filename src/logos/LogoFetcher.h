#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "logos/LogoCache.h"

namespace quorvel {

enum class LogoOutcome {
    Image,      // the logo's bytes as the server sent them
    None,       // no logo: it failed now or lately, or the address is not one to ask
    Cancelled,  // dropped before it ended: ask again when it is wanted again
};

// The limits of one logo fetch.
struct LogoFetchLimits {
    long connectTimeoutMs = 10'000;
    long stallTimeoutSeconds = 10;
    long deadlineMs = 30'000;
};

using LogoDelivered =
    std::function<void(const std::string& address, LogoOutcome outcome, std::string bytes)>;

// One logo at `now`, as the cache policy says: the copy held, the network (asking with the
// copy's ETag once it is a week old), or nothing. Updates the cache and tells `delivered`;
// for a copy that is checked again Image may come twice: the copy, then the server's newer
// one. Blocks: run it off the GUI thread.
void BringLogo(LogoCache& cache, const std::string& address, std::int64_t now,
               const LogoFetchLimits& limits, const std::atomic<bool>* cancel,
               const LogoDelivered& delivered);

// Brings channel logos from the cache or the network, a few at once on worker threads of
// the lowest priority, the newest request first. Asking again for an address that is queued
// adds nothing; one under way is brought once more after it (from the cache, by then). The
// cache policy decides (LogoPolicy); every fetch goes through src/net: http and https only,
// at most kMaxLogoBytes, an image type only.
class LogoFetcher {
public:
    // On a worker thread, as BringLogo tells it; Cancelled also on the thread that asked,
    // for a request dropped from the queue.
    using Delivered = LogoDelivered;

    struct Options {
        std::filesystem::path folder = DefaultLogoCacheFolder();
        int workers = 3;
        // Older requests beyond this are dropped (Cancelled): they were for rows long gone.
        std::size_t maxQueued = 256;
        // Seconds since 1970; the system clock when empty.
        std::function<std::int64_t()> clock;
        LogoFetchLimits limits;
        // The cache is trimmed to this when the fetcher starts.
        std::uint64_t maxCacheBytes = 64ull * 1024 * 1024;
    };

    LogoFetcher(Options options, Delivered delivered);
    // Ends the fetches under way and waits for the workers; nothing is delivered after it.
    ~LogoFetcher();
    LogoFetcher(const LogoFetcher&) = delete;
    LogoFetcher& operator=(const LogoFetcher&) = delete;

    // From any thread.
    void Request(const std::string& address);
    // Drops the queued requests, and ends those under way, whose address `keep` refuses.
    void Retain(const std::function<bool(const std::string& address)>& keep);
    // The bytes of this logo could not be shown (not a picture after all): its copy goes and
    // it counts as failed, not asked for again for a day.
    void Refuse(const std::string& address);

private:
    void Work(bool first);
    std::int64_t Now() const;

    Options m_options;
    Delivered m_delivered;
    LogoCache m_cache;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::list<std::string> m_queue;  // newest first
    std::unordered_map<std::string, std::list<std::string>::iterator> m_queued;
    std::unordered_map<std::string, std::shared_ptr<std::atomic<bool>>> m_running;
    // Asked for again while under way.
    std::unordered_set<std::string> m_again;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

}  // namespace quorvel
