#include "shell/player/MpvSession.h"

#include "midi/MidiFile.h"
#include "playback/WindowsPlaylist.h"

#include <QMetaObject>

#include <algorithm>
#include <filesystem>

namespace quorvel {
namespace {

// Nested opens (HLS segments, RTSP transports) of a network address stay on the network.
constexpr const char* kNetworkProtocolWhitelist =
    "protocol_whitelist=[http,https,tcp,tls,crypto,data,httpproxy,udp,rtp,srtp,rtsp,rtsps,"
    "rtmp,rtmps,rtmpt,rtmpts,mmsh,mmst,hls]";

}  // namespace

const MpvSession::OriginRange* MpvSession::RangeOf(std::int64_t entryId) const {
    // The newest range first: entries get ever larger ids.
    for (auto it = m_origins.rbegin(); it != m_origins.rend(); ++it) {
        if (entryId >= it->first && entryId < it->first + it->count)
            return &*it;
    }
    return nullptr;
}

bool MpvSession::IsOurEntry(std::int64_t entryId) const {
    return RangeOf(entryId) != nullptr;
}

void MpvSession::DecideHooks() {
    while (!m_hooks.empty()) {
        Hook& hook = m_hooks.front();
        if (!hook.decided) {
            // Until the engine tells the ids of what was just loaded, a new entry cannot be
            // told from an old one.
            if (!hook.answered || (m_loadRepliesDue > 0 && !IsOurEntry(hook.entryId)))
                return;
            hook.decided = true;
            DecideHook(hook);
        }
        if (hook.pendingSets > 0)
            return;
        mpv_hook_continue(m_handle.get(), hook.hookId);
        m_hooks.pop_front();
    }
}

void MpvSession::DecideHook(Hook& hook) {
    const OriginRange* range = RangeOf(hook.entryId);
    if (m_phase == Phase::Idle || !range) {
        // An entry of a load that was replaced or stopped: it must not open, and it is not
        // ours to report. The playlist already holds the next load, so it is not touched.
        SetForEntry(hook, "stream-open-filename", "null://");
        return;
    }
    const PlaylistOrigin origin = range->origin;
    const bool direct = range->direct;
    m_seenOurStart = true;
    const std::string target = hook.target;
    if (!m_opened.insert(target).second) {
        RefuseEntry(hook,
                    "The playlist leads back to \"" + target + "\", which was opened already.");
        return;
    }
    AddressCheck check = CheckAddress(target);
    if (!EntryAllowed(check, origin)) {
        RefuseEntry(hook, check.kind == AddressKind::LocalPath
                              ? "The playlist leads to the local file \"" + target +
                                    "\", which a playlist from the network may not open."
                              : "The playlist leads to \"" + target + "\": " + check.reason);
        return;
    }
    if (check.kind == AddressKind::LocalPath) {
        // Playlists made on Windows separate folders with backslashes.
        std::error_code ec;
        if (target.find('\\') != std::string::npos && !std::filesystem::exists(target, ec)) {
            std::string slashed = target;
            std::replace(slashed.begin(), slashed.end(), '\\', '/');
            if (std::filesystem::exists(slashed, ec)) {
                check.address = slashed;
                SetForEntry(hook, "stream-open-filename", slashed);
            }
        }
        if (std::string problem = LocalPathProblem(check.address); !problem.empty()) {
            RefuseEntry(hook, "\"" + check.address + "\": " + problem);
            return;
        }
    }
    if (!direct && IsPlaylistReadByPlayer(check.address)) {
        // The engine cannot read these; the player reads it and plays what it names.
        RefuseEntry(hook, "The playlist leads to the playlist \"" + target + "\".");
        m_handedOver = true;
        QMetaObject::invokeMethod(
            this,
            [this, address = QString::fromStdString(check.address), origin, serial = m_loadSerial] {
                if (serial == m_loadSerial && m_phase == Phase::Loading)
                    Q_EMIT WindowsPlaylistMet(address, origin);
            },
            Qt::QueuedConnection);
        return;
    }
    m_childOrigin[hook.entryId] =
        origin == PlaylistOrigin::Local && check.kind == AddressKind::LocalPath
            ? PlaylistOrigin::Local
            : PlaylistOrigin::Network;
    if (check.kind == AddressKind::NetworkStream) {
        SetForEntry(hook, "file-local-options/demuxer-lavf-o", kNetworkProtocolWhitelist);
        // The engine's own playlist reader has no size limit, and a server can send a
        // playlist without end: from the network, playlists are read by the player.
        SetForEntry(hook, "file-local-options/demuxer", "lavf");
    } else if (IsMidiFileName(check.address)) {
        // The engine cannot decode MIDI: it plays the sound rendered from the file instead.
        m_midiAddress = m_midi.AddressFor(check.address);
        SetForEntry(hook, "stream-open-filename", m_midiAddress);
        // The engine trusts no protocol of ours inside a playlist; this entry passed the
        // check above, and the sound stream opens nothing further.
        if (!direct)
            SetForEntry(hook, "file-local-options/load-unsafe-playlists", "yes");
    }
    m_checkedEntry = hook.entryId;
    m_playingTarget = check.address;
}

void MpvSession::RefuseEntry(Hook& hook, std::string reason) {
    if (m_refusal.empty())
        m_refusal = std::move(reason);
    // The entry opens nothing and fails; the engine goes on with the next. Removing it
    // instead would cost a move of the whole playlist per entry.
    SetForEntry(hook, "stream-open-filename", "null://");
}

void MpvSession::SetForEntry(Hook& hook, const char* name, const std::string& value) {
    // The hook goes on only once the engine has taken the value.
    ++hook.pendingSets;
    const char* argv[] = {"set", name, value.c_str(), nullptr};
    mpv_command_async(m_handle.get(), ReplyTag(Reply::HookSet, hook.serial), argv);
}

}  // namespace quorvel
