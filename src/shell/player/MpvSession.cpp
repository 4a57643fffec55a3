#include "shell/player/MpvSession.h"

#include <dlfcn.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <iterator>
#include <utility>

namespace quorvel {
namespace {

enum PropertyId : std::uint64_t {
    kTimePos = 1,
    kDuration,
    kPause,
    kVolume,
    kMute,
    kIdleActive,
    kMetadata,
    kFileSize,
    kCurrentAo,
    kVoConfigured,
};

// Without these the engine would run scripts, read the user's mpv configuration or start
// programs found on PATH: a build that cannot turn them off is not used.
constexpr const char* kHardeningOptions[] = {"config", "load-scripts", "ytdl",
                                             "input-default-bindings", "load-unsafe-playlists"};

bool HasNvidiaDriver() {
    static const bool present = [] {
        void* cuda = ::dlopen("libcuda.so.1", RTLD_LAZY | RTLD_LOCAL);
        if (cuda)
            ::dlclose(cuda);
        return cuda != nullptr;
    }();
    return present;
}

}  // namespace

const char* MpvSession::HardwareDecoder() {
    return HasNvidiaDriver() ? "auto-safe" : "vaapi-copy";
}

MpvSession::MpvSession(const SessionOptions& options, QObject* parent) : QObject(parent) {
    Initialize(options);
}

MpvSession::~MpvSession() {
    if (m_handle)
        mpv_set_wakeup_callback(m_handle.get(), nullptr, nullptr);
}

void MpvSession::Initialize(const SessionOptions& options) {
    // The engine parses numbers with the C library and refuses to start otherwise.
    std::setlocale(LC_NUMERIC, "C");
    MpvHandle handle(mpv_create());
    if (!handle) {
        m_startError = tr("The media engine could not be created.");
        return;
    }
    mpv_handle* h = handle.get();
    const std::string timeout = std::to_string(options.networkTimeoutSeconds);
    const std::pair<const char*, std::string> settings[] = {
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"load-unsafe-playlists", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"loop-file", "no"},
        {"loop-playlist", "no"},
        {"speed", "1"},
        {"volume", "50"},
        {"volume-max", "100"},
        {"mute", "no"},
        {"keepaspect", "yes"},
        {"osd-level", "0"},
        {"hwdec", options.hardwareDecoding ? HardwareDecoder() : "no"},
        // Only NVIDIA's decoders hand frames straight to GL here; loading the interop
        // without its driver prints "Cannot load libcuda.so.1".
        {"gpu-hwdec-interop", HasNvidiaDriver() ? "auto" : "no"},
        {"network-timeout", timeout},
        {"vo", options.video == VideoOutput::Render ? "libmpv" : "null"},
    };
    for (const auto& [name, value] : settings) {
        const int error = mpv_set_option_string(h, name, value.c_str());
        const bool required =
            std::any_of(std::begin(kHardeningOptions), std::end(kHardeningOptions),
                        [n = name](const char* option) { return std::strcmp(option, n) == 0; });
        // Other options that a build of the engine lacks are not worth failing for.
        if (error < 0 && required) {
            m_startError =
                tr("The media engine cannot be made safe: its option \"%1\" cannot "
                   "be set (%2).")
                    .arg(QString::fromUtf8(name), QString::fromUtf8(mpv_error_string(error)));
            return;
        }
    }
    if (!options.audioOutput.empty())
        mpv_set_option_string(h, "ao", options.audioOutput.c_str());
    m_audioOutput = options.audioOutput;
    // Without a usable sound device the engine would end a stream that has only sound,
    // and stop a video after a seek that opens the device again: it plays silently instead,
    // and the window says why there is no sound.
    mpv_set_option_string(h, "audio-fallback-to-null", "yes");
    if (!options.timeshiftFolder.empty()) {
        // On disk, only the packets' index stays in memory: these two bound that index, the
        // rest is bounded on disk by the timeshift. Half an hour is read ahead while paused.
        const std::pair<const char*, std::string> timeshift[] = {
            {"cache", "auto"},
            {"cache-on-disk", "yes"},
            {"cache-dir", options.timeshiftFolder},
            {"cache-unlink-files", "immediate"},
            {"cache-secs", "1800"},
            {"demuxer-max-bytes", "16MiB"},
            {"demuxer-max-back-bytes", "32MiB"},
        };
        for (const auto& [name, value] : timeshift)
            mpv_set_option_string(h, name, value.c_str());
    }
    if (const int error = mpv_initialize(h); error < 0) {
        m_startError = tr("The media engine could not start: %1").arg(mpv_error_string(error));
        return;
    }
    mpv_request_log_messages(h, "warn");
    mpv_observe_property(h, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(h, kVolume, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(h, kIdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(h, kMetadata, "metadata", MPV_FORMAT_NODE);
    mpv_observe_property(h, kFileSize, "file-size", MPV_FORMAT_INT64);
    mpv_observe_property(h, kCurrentAo, "current-ao", MPV_FORMAT_STRING);
    mpv_observe_property(h, kVoConfigured, "vo-configured", MPV_FORMAT_FLAG);
    mpv_hook_add(h, 0, "on_load", 0);
    // Should the engine refuse it, MIDI files fail as an unknown format; nothing else changes.
    m_midi.Register(h);
    // Called on an engine thread: only hand the work to the GUI thread.
    mpv_set_wakeup_callback(
        h, [](void* self) { static_cast<MpvSession*>(self)->QueueDrain(); }, this);
    m_handle = std::move(handle);
}

}  // namespace quorvel
