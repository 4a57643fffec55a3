#include "guide/GuideImport.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "files/FileDescriptor.h"
#include "guide/BatchQueue.h"
#include "guide/Decompressor.h"
#include "net/FetchMany.h"
#include "threads/ThreadEdge.h"

namespace quorvel::guide {
namespace {

constexpr std::size_t kReadPiece = 256 * 1024;
constexpr std::size_t kBatchesInFlight = 4;
constexpr std::size_t kPiecesInFlight = 4;

// The reading thread's side: fills batches from the reader's events.
class BatchSink final : public GuideSink {
public:
    explicit BatchSink(BatchQueue& queue) : m_queue(queue) {}

    bool Channel(const ParsedChannel& channel) override {
        if (!Ready())
            return false;
        GuideBatch::Channel row;
        row.id = m_batch->Add(channel.id);
        row.firstName = static_cast<std::uint32_t>(m_batch->names.size());
        row.nameCount = static_cast<std::uint32_t>(channel.displayNames.size());
        row.afterProgrammes = static_cast<std::uint32_t>(m_batch->programmes.size());
        for (const auto name : channel.displayNames)
            m_batch->names.push_back(m_batch->Add(name));
        m_batch->channels.push_back(row);
        return true;
    }

    bool Programme(const ParsedProgramme& programme) override {
        if (!Ready())
            return false;
        GuideBatch& batch = *m_batch;
        GuideBatch::Programme row;
        if (!batch.programmes.empty() &&
            batch.View(batch.programmes.back().channel) == programme.channel)
            row.channel = batch.programmes.back().channel;
        else
            row.channel = batch.Add(programme.channel);
        row.start = programme.start;
        row.hasStop = programme.stop.has_value();
        row.stop = programme.stop.value_or(0);
        for (int kind = 0; kind < kProgrammeTextCount; ++kind)
            row.texts[kind] = batch.Add(programme.texts[kind]);
        batch.programmes.push_back(row);
        if (batch.Full())
            m_queue.PushFull(std::move(m_batch));
        return true;
    }

    void Flush() {
        if (m_batch && (!m_batch->programmes.empty() || !m_batch->channels.empty()))
            m_queue.PushFull(std::move(m_batch));
    }

private:
    bool Ready() {
        if (!m_batch)
            m_batch = m_queue.Empty();
        return m_batch != nullptr;
    }

    BatchQueue& m_queue;
    std::unique_ptr<GuideBatch> m_batch;
};

// How the reading side ended: the bytes from the file or the network, and their unpacking.
struct InputOutcome {
    bool whole = false;    // every byte arrived and unpacked
    bool refused = false;  // past a cap, missing, or refused before the first byte
    bool cancelled = false;
    std::string error;
    bool notModified = false;  // the server said the copy held is current
    std::string etag;
    std::string lastModified;
};

InputOutcome InputFailed(bool refused, bool cancelled, std::string error) {
    InputOutcome outcome;
    outcome.refused = refused;
    outcome.cancelled = cancelled;
    outcome.error = std::move(error);
    return outcome;
}

// How the whole reading ended.
struct ReadOutcome {
    bool ok = false;
    bool refused = false;  // hostile or past a cap: nothing of it is kept
    bool cancelled = false;
    std::string error;
};

// The first stage: bytes from the source, unpacked, handed on in pieces.
class Unpacking {
public:
    Unpacking(BytesQueue& queue, const ImportOptions& options)
        : m_queue(queue), m_unpack(options.maxUnpacked, [this](std::string_view plain) {
              auto piece = m_queue.Empty();
              if (!piece)
                  return false;  // the parser gave up
              piece->bytes.assign(plain);
              m_queue.PushFull(std::move(piece));
              return true;
          }) {}

    bool Feed(std::string_view bytes) { return m_unpack.Feed(bytes); }

    InputOutcome Finish(bool inputWhole, std::string inputError) {
        InputOutcome outcome;
        if (inputWhole && m_unpack.Finish()) {
            outcome.whole = true;
        } else if (!m_unpack.Error().empty()) {
            outcome.refused = m_unpack.TooLarge();
            outcome.error = m_unpack.Error();
        } else {
            outcome.error = std::move(inputError);
        }
        return outcome;
    }

private:
    BytesQueue& m_queue;
    Decompressor m_unpack;
};

InputOutcome ReadFile(const std::string& path, const ImportOptions& options, BytesQueue& queue) {
    std::string error;
    FileReadStatus status = FileReadStatus::Read;
    FileDescriptor file = OpenRegularFileForReading(path, error, &status);
    if (!file.Valid()) {
        // Told with the guide's name by the caller.
        if (error.starts_with(path + ": "))
            error.erase(0, path.size() + 2);
        return InputFailed(true, false, error);
    }
    Unpacking unpacking(queue, options);
    std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kReadPiece);
    for (;;) {
        if (options.cancel && options.cancel->load())
            return InputFailed(false, true, "cancelled");
        const ssize_t n = ::read(file.Get(), buffer.get(), kReadPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unpacking.Finish(false, DescribeFileError(path, "read", errno));
        if (n == 0)
            return unpacking.Finish(true, {});
        if (!unpacking.Feed({buffer.get(), static_cast<std::size_t>(n)}))
            return unpacking.Finish(false, {});
    }
}

InputOutcome ReadAddress(const std::string& url, const StoredGuide* held,
                         const ImportOptions& options, BytesQueue& queue) {
    Unpacking unpacking(queue, options);
    HttpRequest request;
    request.url = url;
    if (held) {
        request.ifNoneMatch = held->etag;
        request.ifModifiedSince = held->lastModified;
    }
    request.maxBytes = options.maxUnpacked;
    request.stallTimeoutSeconds = options.stallTimeoutSeconds;
    request.cancel = options.cancel;
    bool fed = true;
    request.onBodyChunk = [&](std::string_view chunk) { return fed = unpacking.Feed(chunk); };
    const HttpResponse response = Fetch(request);
    if (!fed)
        return unpacking.Finish(false, {});
    if (response.Ok() && response.httpStatus == 304 && held) {
        InputOutcome outcome;
        outcome.notModified = true;
        return outcome;
    }
    if (response.Ok()) {
        InputOutcome outcome = unpacking.Finish(true, {});
        outcome.etag = response.etag;
        outcome.lastModified = response.lastModified;
        return outcome;
    }
    std::string reason =
        response.failure == HttpFailure::Cancelled ? "cancelled"
        : response.failure == HttpFailure::HttpError
            ? "the server answered " + std::to_string(response.httpStatus)
        : response.failure == HttpFailure::TooLarge
            ? "larger than " + std::to_string(options.maxUnpacked / (1024 * 1024)) + " MB, refused"
            : (response.detail.empty() ? "the download failed" : response.detail);
    InputOutcome outcome = unpacking.Finish(false, reason);
    outcome.cancelled = response.failure == HttpFailure::Cancelled;
    // A download refused before its first byte leaves nothing worth keeping.
    outcome.refused =
        outcome.refused || !response.sawBody || response.failure == HttpFailure::TooLarge;
    return outcome;
}

// The second stage: the unpacked bytes through the XML reader into batches.
ReadOutcome Parse(BytesQueue& bytes, const InputOutcome& input, BatchQueue& batches,
                  const ImportOptions& options) {
    BatchSink sink(batches);
    XmltvReader reader(sink, options.language, options.limits);
    bool parsing = true;
    while (auto piece = bytes.PopFull()) {
        parsing = reader.Feed(piece->bytes);
        bytes.Recycle(std::move(piece));
        if (!parsing) {
            bytes.Abort();  // the reading side stops at its next piece
            break;
        }
    }
    // Once the queue is closed, `input` is final.
    ReadOutcome outcome;
    if (parsing && input.whole) {
        parsing = reader.Finish();
        sink.Flush();
        outcome.ok = parsing;
        outcome.refused = reader.Refused();
        outcome.error = reader.Error();
        return outcome;
    }
    sink.Flush();
    if (reader.Stopped()) {
        outcome.cancelled = true;
        outcome.error = "stopped";
    } else if (!parsing) {
        outcome.refused = reader.Refused();
        outcome.error = reader.Error();
    } else {
        outcome.refused = input.refused;
        outcome.cancelled = input.cancelled;
        outcome.error = input.error;
        // Where the guide itself broke off.
        if (!input.refused && !input.cancelled && !reader.Finish())
            outcome.error += "; " + reader.Error();
    }
    return outcome;
}

// Runs `work` on a thread of its own, joined however the caller leaves; `stop` makes a
// thread still running give up first.
class Stage {
public:
    template <typename Work, typename Stop>
    Stage(Work work, Stop stop) : m_stop(std::move(stop)), m_thread(std::move(work)) {}
    ~Stage() {
        if (m_thread.joinable()) {
            m_stop();
            m_thread.join();
        }
    }
    void Join() {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::function<void()> m_stop;
    std::thread m_thread;
};

}  // namespace

bool IsGuideAddress(std::string_view source) {
    return source.starts_with("http://") || source.starts_with("https://");
}

ImportResult ImportGuide(GuideStore& store, std::string_view source, const ImportOptions& options) {
    ImportResult result;
    std::string key(source);
    if (!IsGuideAddress(source)) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(key, ec);
        if (!ec)
            key = absolute.lexically_normal().string();
    }
    // A copy held with validators is asked for only if it changed.
    const std::optional<StoredGuide> stored = store.Guide(key);
    const StoredGuide* held = stored && stored->held ? &*stored : nullptr;
    auto import = store.BeginImport(key, options.now);
    if (!import->Error().empty()) {
        result.error = import->Error();
        return result;
    }
    const bool hadEarlier = import->HasEarlierCopy();

    // Three stages on their own threads: unpacking, parsing, and storing here.
    BytesQueue bytes(kPiecesInFlight);
    BatchQueue queue(kBatchesInFlight);
    InputOutcome input;
    ReadOutcome read;
    Stage unpacking(
        [&] {
            RunAtThreadEdge(
                [&] {
                    input = IsGuideAddress(key) ? ReadAddress(key, held, options, bytes)
                                                : ReadFile(key, options, bytes);
                },
                [&](std::string reason) { input = InputFailed(false, false, std::move(reason)); });
            bytes.Close();
        },
        [&] { bytes.Abort(); });
    Stage parsing(
        [&] {
            RunAtThreadEdge([&] { read = Parse(bytes, input, queue, options); },
                            [&](std::string reason) {
                                bytes.Abort();
                                read = {false, false, false, std::move(reason)};
                            });
            queue.Close();
        },
        [&] { queue.Abort(); });

    std::uint64_t channels = 0;
    while (auto batch = queue.PopFull()) {
        std::size_t nextChannel = 0;
        const auto addChannelsBefore = [&](std::size_t programme) {
            for (; nextChannel < batch->channels.size() &&
                   batch->channels[nextChannel].afterProgrammes <= programme;
                 ++nextChannel) {
                const auto& row = batch->channels[nextChannel];
                std::vector<std::string_view> names;
                for (std::uint32_t i = 0; i < row.nameCount; ++i)
                    names.push_back(batch->View(batch->names[row.firstName + i]));
                import->AddChannel(batch->View(row.id), names);
                ++channels;
            }
        };
        for (std::size_t i = 0; i < batch->programmes.size(); ++i) {
            addChannelsBefore(i);
            const auto& row = batch->programmes[i];
            std::string_view texts[kProgrammeTextCount];
            for (int kind = 0; kind < kProgrammeTextCount; ++kind)
                texts[kind] = batch->View(row.texts[kind]);
            import->AddProgramme(batch->View(row.channel), row.start,
                                 row.hasStop ? std::optional<GuideTime>(row.stop) : std::nullopt,
                                 texts);
        }
        addChannelsBefore(batch->programmes.size());
        queue.Recycle(std::move(batch));
        if (!import->Error().empty()) {
            queue.Abort();
            break;
        }
    }
    parsing.Join();
    unpacking.Join();

    const auto fail = [&](std::string error) {
        import.reset();  // rolls back
        store.RecordFailure(key, error, options.now);
        result.outcome =
            hadEarlier ? ImportResult::Outcome::KeptEarlier : ImportResult::Outcome::Failed;
        result.error = std::move(error);
        return result;
    };
    if (!import->Error().empty())
        return fail(import->Error());
    if (input.notModified) {
        import.reset();  // nothing new to put in place
        store.RecordUnchanged(key, options.now);
        result.outcome = ImportResult::Outcome::Unchanged;
        result.channels = held->channels;
        result.programmes = held->programmes;
        return result;
    }
    if (read.ok) {
        import->SetValidators(input.etag, input.lastModified);
        if (!import->Commit({}))
            return fail(import->Error());
        result.outcome = ImportResult::Outcome::Replaced;
    } else if (read.refused || read.cancelled || hadEarlier ||
               (channels == 0 && import->Programmes() == 0)) {
        return fail(read.error);
    } else {
        if (!import->Commit(read.error))
            return fail(import->Error());
        result.outcome = ImportResult::Outcome::KeptPartial;
        result.error = read.error;
    }
    result.channels = channels;
    result.programmes = import->Programmes();
    return result;
}

}  // namespace quorvel::guide
