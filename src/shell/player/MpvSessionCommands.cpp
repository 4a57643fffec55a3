#include "shell/player/MpvSession.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

// The engine queues at most 1000 events per client: a playlist of thousands of entries is
// handed over in batches, each after the replies to the last, or the queue overflows and
// the load neither plays nor fails.
constexpr std::size_t kLoadBatch = 100;

}  // namespace

int MpvSession::CommandAsync(std::initializer_list<const char*> args, Reply reply) {
    if (!m_handle)
        return MPV_ERROR_UNINITIALIZED;
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command_async(m_handle.get(), ReplyTag(reply, m_loadSerial), argv.data());
}

void MpvSession::SetProperty(const char* name, const std::string& value) {
    CommandAsync({"set", name, value.c_str()});
}

void MpvSession::Load(const std::string& address, PlaylistOrigin origin) {
    Load(std::vector<std::string>{address}, origin);
}

void MpvSession::Load(const std::vector<std::string>& addresses, PlaylistOrigin origin) {
    if (!m_handle || addresses.empty()) {
        Q_EMIT Failed(m_handle ? tr("Nothing in it could be played.") : m_startError);
        return;
    }
    ++m_loadSerial;
    m_phase = Phase::Loading;
    m_address = addresses.front();
    m_loadRepliesDue = 0;
    m_toAppend.assign(addresses.begin(), addresses.end());
    m_appended = 0;
    m_origins.clear();
    m_childOrigin.clear();
    m_pendingOrigin = origin;
    m_seenOurStart = false;
    m_failurePending = false;
    m_failedEntries = 0;
    m_handedOver = false;
    m_errors.clear();
    m_refusal.clear();
    m_opened.clear();
    m_endError.clear();
    m_shortEnd.Reset();
    m_midiAddress.clear();
    m_playedTo = 0.0;
    // A new address plays at once, even when the last one was left paused.
    SetProperty("pause", "no");
    LoadNextBatch();
}

void MpvSession::LoadNextBatch() {
    const std::size_t end = std::min(m_toAppend.size(), m_appended + kLoadBatch);
    for (; m_appended < end; ++m_appended) {
        // Later batches may find the engine idle already; they must start it again.
        const char* mode = m_appended == 0 ? "replace" : "append-play";
        const char* file = m_toAppend[m_appended].c_str();
        const int error =
            m_fileOptions.empty()
                ? CommandAsync({"loadfile", file, mode}, Reply::Load)
                : CommandAsync({"loadfile", file, mode, m_fileOptions.c_str()}, Reply::Load);
        if (error < 0 && m_appended == 0) {
            FailNow(QString::fromUtf8(mpv_error_string(error)));
            return;
        }
        if (error < 0) {
            // The engine takes no more: play what it has.
            m_appended = m_toAppend.size();
            break;
        }
        ++m_loadRepliesDue;
    }
    if (m_appended >= m_toAppend.size())
        m_toAppend.clear();
}

void MpvSession::Stop() {
    const bool wasActive = m_phase != Phase::Idle;
    Halt();
    if (wasActive)
        Q_EMIT Ended();
    DecideHooks();
}

void MpvSession::SetPaused(bool paused) {
    SetProperty("pause", paused ? "yes" : "no");
}

void MpvSession::TogglePaused() {
    CommandAsync({"cycle", "pause"});
}

void MpvSession::Seek(double seconds) {
    if (!std::isfinite(seconds))
        return;
    const std::string target = std::to_string(seconds);
    CommandAsync({"seek", target.c_str(), "absolute"});
}

void MpvSession::SetVolume(int volume) {
    SetProperty("volume", std::to_string(std::clamp(volume, 0, 100)));
}

void MpvSession::SetMuted(bool muted) {
    SetProperty("mute", muted ? "yes" : "no");
}

void MpvSession::Halt() {
    // Replies and events still on their way belong to the load given up here.
    ++m_loadSerial;
    m_loadRepliesDue = 0;
    m_toAppend.clear();
    m_origins.clear();
    m_phase = Phase::Idle;
    m_failurePending = false;
    CommandAsync({"stop"});
}

void MpvSession::FailNow(const QString& reason) {
    Halt();
    Q_EMIT Failed(reason);
}

}  // namespace quorvel
