#pragma once

#include <mpv/client.h>
#include <mpv/stream_cb.h>

#include <deque>
#include <mutex>
#include <string>

namespace quorvel {

// Local MIDI files reach the media engine, which cannot decode them, through a private
// protocol that answers with the sound FluidSynth renders. Only addresses this object made
// open anything (each once), so the scheme named in a catalogue line or a playlist leads
// nowhere. Open runs on the engine's threads; nothing here touches Qt.
class MidiStreamProtocol {
public:
    static constexpr const char* kScheme = "quorvel-midi";

    // Registers the protocol with a started engine; false when it refused. This object
    // must outlive the engine.
    bool Register(mpv_handle* handle);
    // The private address that plays the local file at path once.
    std::string AddressFor(const std::string& path);
    // Why the open of an address made here failed; empty when it did not (yet).
    std::string FailureOf(const std::string& address) const;

private:
    struct Entry {
        std::string address;
        std::string path;
        std::string failure;
        bool opened = false;
    };
    static int Open(void* self, char* uri, mpv_stream_cb_info* info);
    int OpenAddress(const std::string& address, mpv_stream_cb_info* info);

    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
};

}  // namespace quorvel
