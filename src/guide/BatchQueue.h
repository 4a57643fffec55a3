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

// A few batches going round between one filling thread and one emptying thread; the filler
// waits when all are full, so memory stays the same however large the guide.
class BatchQueue {
public:
    explicit BatchQueue(std::size_t batches);

    // A cleared batch to fill; nullptr once aborted.
    std::unique_ptr<GuideBatch> Empty();
    void PushFull(std::unique_ptr<GuideBatch> batch);
    // No more batches will come.
    void Close();
    // The next full batch; nullptr once closed and drained, or aborted.
    std::unique_ptr<GuideBatch> PopFull();
    void Recycle(std::unique_ptr<GuideBatch> batch);
    // The emptying side gave up: the filler stops at its next batch.
    void Abort();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<GuideBatch>> m_empty;
    std::deque<std::unique_ptr<GuideBatch>> m_full;
    bool m_closed = false;
    bool m_aborted = false;
};

}  // namespace quorvel::guide
