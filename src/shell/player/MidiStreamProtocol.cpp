#include "shell/player/MidiStreamProtocol.h"

#include "midi/MidiRenderer.h"
#include "midi/SoundFont.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace quorvel {
namespace {

// Addresses made but never opened (a load replaced at once) are forgotten past this many.
constexpr std::size_t kMaxEntries = 32;
// Each read renders at most this much, so a read never keeps the engine waiting long.
constexpr std::uint64_t kMaxReadBytes = 256 * 1024;

// One open stream: the engine may call from more than one of its threads.
struct Stream {
    std::mutex mutex;
    std::unique_ptr<MidiRenderer> renderer;
};

std::int64_t ReadStream(void* cookie, char* buffer, std::uint64_t size) {
    auto* stream = static_cast<Stream*>(cookie);
    std::lock_guard lock(stream->mutex);
    return static_cast<std::int64_t>(
        stream->renderer->Read(buffer, static_cast<std::size_t>(std::min(size, kMaxReadBytes))));
}

std::int64_t SeekStream(void* cookie, std::int64_t offset) {
    auto* stream = static_cast<Stream*>(cookie);
    std::lock_guard lock(stream->mutex);
    if (offset < 0 || !stream->renderer->Seek(static_cast<std::uint64_t>(offset)))
        return MPV_ERROR_GENERIC;
    return offset;
}

std::int64_t StreamSize(void* cookie) {
    auto* stream = static_cast<Stream*>(cookie);
    std::lock_guard lock(stream->mutex);
    return static_cast<std::int64_t>(stream->renderer->Size());
}

void CloseStream(void* cookie) {
    delete static_cast<Stream*>(cookie);
}

// 128 random bits: an address cannot be guessed from outside.
std::string NewToken() {
    static std::mutex mutex;
    static std::random_device device;
    std::lock_guard lock(mutex);
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(device()));
        token += part;
    }
    return token;
}

}  // namespace

bool MidiStreamProtocol::Register(mpv_handle* handle) {
    return mpv_stream_cb_add_ro(handle, kScheme, this, &MidiStreamProtocol::Open) >= 0;
}

std::string MidiStreamProtocol::AddressFor(const std::string& path) {
    std::string address = std::string(kScheme) + "://" + NewToken();
    std::lock_guard lock(m_mutex);
    if (m_entries.size() >= kMaxEntries)
        m_entries.pop_front();
    m_entries.push_back({address, path, {}, false});
    return address;
}

std::string MidiStreamProtocol::FailureOf(const std::string& address) const {
    std::lock_guard lock(m_mutex);
    for (const Entry& entry : m_entries) {
        if (entry.address == address)
            return entry.failure;
    }
    return {};
}

int MidiStreamProtocol::Open(void* self, char* uri, mpv_stream_cb_info* info) {
    return static_cast<MidiStreamProtocol*>(self)->OpenAddress(uri ? uri : "", info);
}

int MidiStreamProtocol::OpenAddress(const std::string& address, mpv_stream_cb_info* info) {
    std::string path;
    {
        std::lock_guard lock(m_mutex);
        const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                        [&](const Entry& e) { return e.address == address; });
        if (entry == m_entries.end() || entry->opened)
            return MPV_ERROR_LOADING_FAILED;
        entry->opened = true;
        path = entry->path;
    }
    // Reading the sound font and the file takes a moment; the lock is not held meanwhile.
    MidiRenderer::Opened opened = MidiRenderer::Open(path, FindSoundFont());
    if (!opened.renderer) {
        std::lock_guard lock(m_mutex);
        for (Entry& entry : m_entries) {
            if (entry.address == address)
                entry.failure = opened.error;
        }
        return MPV_ERROR_LOADING_FAILED;
    }
    auto stream = std::make_unique<Stream>();
    stream->renderer = std::move(opened.renderer);
    info->cookie = stream.release();
    info->read_fn = ReadStream;
    info->seek_fn = SeekStream;
    info->size_fn = StreamSize;
    info->close_fn = CloseStream;
    info->cancel_fn = nullptr;
    return 0;
}

}  // namespace quorvel
