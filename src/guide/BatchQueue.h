#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guide/GuideTime.h"
#include "guide/XmltvReader.h"

namespace quorvel::guide {

// Channels and programmes on their way from the reading thread to the storing one: texts in
// one buffer, rows pointing into it, so a programme costs no allocation of its own once the
// buffers have grown.
struct GuideBatch {
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };
    struct Programme {
        Span channel;
        GuideTime start = 0;
        GuideTime stop = 0;
        bool hasStop = false;
        Span texts[kProgrammeTextCount];
    };
    struct Channel {
        Span id;
        std::uint32_t firstName = 0;
        std::uint32_t nameCount = 0;
        // Programmes of the batch that came before it.
        std::uint32_t afterProgrammes = 0;
    };

    std::string text;
    std::vector<Programme> programmes;
    std::vector<Channel> channels;
    std::vector<Span> names;

    Span Add(std::string_view piece) {
        const Span span{static_cast<std::uint32_t>(text.size()),
                        static_cast<std::uint32_t>(piece.size())};
        text.append(piece);
        return span;
    }
    std::string_view View(Span span) const { return {text.data() + span.offset, span.size}; }
    bool Full() const { return programmes.size() >= 4096 || text.size() >= 768 * 1024; }
    void Clear() {
        text.clear();
        programmes.clear();
        channels.clear();
        names.clear();
    }
};

// A few buffers going round between one filling thread and one emptying thread; the filler
// waits when all are full, so memory stays the same however large the guide. `T` has Clear().
template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t buffers) {
        for (std::size_t i = 0; i < buffers; ++i)
            m_empty.push_back(std::make_unique<T>());
    }

    // A cleared buffer to fill; nullptr once aborted.
    std::unique_ptr<T> Empty() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_aborted || !m_empty.empty(); });
        if (m_aborted)
            return nullptr;
        auto buffer = std::move(m_empty.back());
        m_empty.pop_back();
        lock.unlock();
        buffer->Clear();
        return buffer;
    }
    void PushFull(std::unique_ptr<T> buffer) {
        {
            std::lock_guard lock(m_mutex);
            m_full.push_back(std::move(buffer));
        }
        m_changed.notify_all();
    }
    // No more buffers will come.
    void Close() {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }
    // The next full buffer; nullptr once closed and drained, or aborted.
    std::unique_ptr<T> PopFull() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_aborted || m_closed || !m_full.empty(); });
        if (m_aborted || m_full.empty())
            return nullptr;
        auto buffer = std::move(m_full.front());
        m_full.pop_front();
        return buffer;
    }
    void Recycle(std::unique_ptr<T> buffer) {
        {
            std::lock_guard lock(m_mutex);
            m_empty.push_back(std::move(buffer));
        }
        m_changed.notify_all();
    }
    // The emptying side gave up: the filler stops at its next buffer.
    void Abort() {
        {
            std::lock_guard lock(m_mutex);
            m_aborted = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<T>> m_empty;
    std::deque<std::unique_ptr<T>> m_full;
    bool m_closed = false;
    bool m_aborted = false;
};

using BatchQueue = BoundedQueue<GuideBatch>;

// Unpacked guide bytes on their way to the parser.
struct GuideBytes {
    std::string bytes;
    void Clear() { bytes.clear(); }
};
using BytesQueue = BoundedQueue<GuideBytes>;

}  // namespace quorvel::guide
