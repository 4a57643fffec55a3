#include "logos/LogoFetcher.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>

#include "net/HttpRequest.h"
#include "threads/ThreadEdge.h"

namespace quorvel {
namespace {

// Logos never compete with playback or the window: the scheduler runs these threads only
// when nothing else wants the processor.
void LowestPriority() {
    sched_param param{};
    param.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
}

}  // namespace

void BringLogo(LogoCache& cache, const std::string& address, std::int64_t now,
               const LogoFetchLimits& limits, const std::atomic<bool>* cancel,
               const LogoDelivered& delivered) {
    if (!IsLogoAddress(address)) {
        delivered(address, LogoOutcome::None, {});
        return;
    }
    std::optional<LogoRecord> record = cache.Record(address);
    std::string copy;
    const bool haveCopy = cache.HasCopy(address) && cache.ReadCopy(address, copy);
    const LogoStep step = NextLogoStep(record, haveCopy, now);
    if (step == LogoStep::Wait) {
        delivered(address, LogoOutcome::None, {});
        return;
    }
    if (step == LogoStep::UseCopy || step == LogoStep::Revalidate)
        delivered(address, LogoOutcome::Image, std::move(copy));
    if (step == LogoStep::UseCopy)
        return;

    HttpRequest request;
    request.url = address;
    request.maxBytes = kMaxLogoBytes;
    request.connectTimeoutMs = limits.connectTimeoutMs;
    request.stallTimeoutSeconds = limits.stallTimeoutSeconds;
    request.deadlineMs = limits.deadlineMs;
    request.cancel = cancel;
    if (step == LogoStep::Revalidate && record)
        request.ifNoneMatch = record->etag;
    HttpResponse response = Fetch(request);
    if (response.failure == HttpFailure::Cancelled || (cancel && *cancel)) {
        if (step == LogoStep::Fetch)
            delivered(address, LogoOutcome::Cancelled, {});
        return;
    }
    std::string error;
    LogoRecord next = record.value_or(LogoRecord{});
    next.address = address;
    if (response.Ok() && response.httpStatus == 304 && step == LogoStep::Revalidate) {
        next.fetchedAt = now;
        next.failedAt = 0;
        cache.StoreRecord(next, error);
        return;
    }
    if (response.Ok() && response.httpStatus >= 200 && response.httpStatus < 300 &&
        IsLogoContentType(response.contentType) && !response.body.empty()) {
        next.fetchedAt = now;
        next.failedAt = 0;
        next.etag = response.etag.find_first_of("\r\n") == std::string::npos ? response.etag : "";
        cache.StoreCopy(next, response.body, error);
        delivered(address, LogoOutcome::Image, std::move(response.body));
        return;
    }
    next.failedAt = now;
    cache.StoreRecord(next, error);
    if (step == LogoStep::Fetch)
        delivered(address, LogoOutcome::None, {});
}

LogoFetcher::LogoFetcher(Options options, Delivered delivered)
    : m_options(std::move(options)), m_delivered(std::move(delivered)), m_cache(m_options.folder) {
    const int workers = std::max(1, m_options.workers);
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this, i] { Work(i == 0); });
}

LogoFetcher::~LogoFetcher() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (auto& [address, cancel] : m_running)
            *cancel = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

std::int64_t LogoFetcher::Now() const {
    if (m_options.clock)
        return m_options.clock();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void LogoFetcher::Request(const std::string& address) {
    std::string dropped;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        // Asked again while it is under way (its answer may already be out): once more after.
        if (m_running.count(address)) {
            m_again.insert(address);
            return;
        }
        if (const auto it = m_queued.find(address); it != m_queued.end()) {
            m_queue.splice(m_queue.begin(), m_queue, it->second);
            return;
        }
        m_queue.push_front(address);
        m_queued.emplace(address, m_queue.begin());
        if (m_queue.size() > m_options.maxQueued) {
            dropped = std::move(m_queue.back());
            m_queued.erase(dropped);
            m_queue.pop_back();
        }
    }
    m_wake.notify_one();
    if (!dropped.empty())
        m_delivered(dropped, LogoOutcome::Cancelled, {});
}

void LogoFetcher::Retain(const std::function<bool(const std::string&)>& keep) {
    std::vector<std::string> dropped;
    {
        const std::lock_guard lock(m_mutex);
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            if (keep(*it)) {
                ++it;
                continue;
            }
            m_queued.erase(*it);
            dropped.push_back(std::move(*it));
            it = m_queue.erase(it);
        }
        // Those under way tell Cancelled themselves.
        for (auto& [address, cancel] : m_running) {
            if (!keep(address)) {
                *cancel = true;
                m_again.erase(address);
            }
        }
    }
    for (const std::string& address : dropped)
        m_delivered(address, LogoOutcome::Cancelled, {});
}

void LogoFetcher::Refuse(const std::string& address) {
    LogoRecord record;
    record.address = address;
    record.failedAt = Now();
    std::error_code ec;
    std::filesystem::remove(m_cache.CopyPath(address), ec);
    std::string error;
    m_cache.StoreRecord(record, error);
}

void LogoFetcher::Work(bool first) {
    LowestPriority();
    if (first && !m_options.folder.empty())
        RunAtThreadEdge([&] { m_cache.Trim(m_options.maxCacheBytes); }, [](const std::string&) {});
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        std::string address = std::move(m_queue.front());
        m_queue.pop_front();
        m_queued.erase(address);
        auto cancel = std::make_shared<std::atomic<bool>>(false);
        m_running.emplace(address, cancel);
        lock.unlock();
        RunAtThreadEdge(
            [&] {
                BringLogo(m_cache, address, Now(), m_options.limits, cancel.get(), m_delivered);
            },
            [&](const std::string&) { m_delivered(address, LogoOutcome::None, {}); });
        lock.lock();
        m_running.erase(address);
        if (m_again.erase(address) && !m_queued.count(address)) {
            m_queue.push_front(address);
            m_queued.emplace(address, m_queue.begin());
        }
    }
}

}  // namespace quorvel
