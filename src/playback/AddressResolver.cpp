#include "playback/AddressResolver.h"

#include "files/FileIo.h"
#include "net/HttpRequest.h"
#include "playback/FetchedPlaylist.h"
#include "playback/HlsPlaylist.h"
#include "playback/PlaylistFetch.h"
#include "playback/WindowsPlaylist.h"

namespace quorvel {
namespace {

constexpr int kMaxPlaylistDepth = 4;
constexpr std::size_t kMaxLocalPlaylistBytes = 1024 * 1024;
constexpr std::size_t kPlaylistHeadBytes = 1024;

bool IsHttp(const std::string& address) {
    const std::string scheme = SchemeOf(address);
    return scheme == "http" || scheme == "https";
}

// A playlist is read whole or not at all: one that is too large or never finishes is
// refused, where a server that merely failed keeps its own reason.
std::string Refusal(const std::string& url, const HttpResponse& fetched,
                    const HttpRequest& request) {
    if (fetched.failure == HttpFailure::TooLarge) {
        return "The playlist \"" + url + "\" is larger than " +
               std::to_string(request.maxBytes / 1024) + " KB; it was not read.";
    }
    if (PlaylistRefused(fetched)) {
        return "The playlist \"" + url + "\" did not arrive whole within " +
               std::to_string(request.deadlineMs / 1000) + " seconds; it was not read.";
    }
    return {};
}

}  // namespace

AddressResolver::AddressResolver(long fetchDeadlineMs, const std::atomic<bool>* cancel,
                                 std::set<std::string> fetched, Fetching fetching)
    : m_fetchDeadlineMs(fetchDeadlineMs),
      m_cancel(cancel),
      m_fetching(fetching),
      m_fetched(std::move(fetched)) {}

Resolution AddressResolver::Resolve(const std::string& address, int depth) {
    m_depth = depth;
    if (depth > kMaxPlaylistDepth)
        return Fail("The playlists lead to further playlists too many times.");
    const AddressCheck check = CheckAddress(address);
    if (check.kind == AddressKind::Refused)
        return Fail(check.reason);
    if (check.kind == AddressKind::LocalPath)
        return ResolveLocal(check.address, depth);
    if (IsHttp(check.address) &&
        (IsPlaylistReadByPlayer(check.address) || HasHlsExtension(check.address))) {
        // The engine's HLS reader has no size cap: it gets only a playlist checked here.
        return FetchPlaylist(check.address, Purpose::Playlist, depth, {}, PlaylistOrigin::Network);
    }
    return Play({check.address}, PlaylistOrigin::Network);
}

Resolution AddressResolver::AfterEngineFailure(const std::string& address, int depth,
                                               const std::string& engineReason) {
    m_depth = depth;
    return FetchPlaylist(address, Purpose::Fallback, depth, {}, PlaylistOrigin::Network,
                         engineReason);
}

Resolution AddressResolver::ResolveLocal(const std::string& path, int depth) {
    // One open, kept only for a regular file: reading a pipe or a terminal to look for a
    // playlist could wait for ever, and the engine would walk a folder with everything below
    // it.
    std::string error;
    FileReadStatus opened = FileReadStatus::Read;
    const FileDescriptor file = OpenRegularFileForReading(path, error, &opened);
    if (const std::string problem = LocalPathProblem(opened); !problem.empty())
        return Fail(problem);
    // A look at the first bytes tells the playlists the engine cannot read from media.
    std::string bytes;
    const bool byName = HasWindowsPlaylistExtension(path);
    if (!file.Valid() || !ReadUpTo(file, kPlaylistHeadBytes, bytes, path, error) ||
        (!byName && !IsWindowsPlaylistFormat(DetectPlaylistFormat(bytes)))) {
        return Play({path}, PlaylistOrigin::Local);  // the engine will say what is wrong
    }
    const PlaylistFormat format = ReadUpTo(file, kMaxLocalPlaylistBytes + 1, bytes, path, error) &&
                                          bytes.size() <= kMaxLocalPlaylistBytes
                                      ? DetectPlaylistFormat(bytes)
                                      : PlaylistFormat::NotAPlaylist;
    if (!IsWindowsPlaylistFormat(format))
        return Play({path}, PlaylistOrigin::Local);
    return ResolveEntries(ReadPlaylistEntries(bytes, format), format, path, depth);
}

Resolution AddressResolver::ResolveEntries(const std::vector<std::string>& entries,
                                           PlaylistFormat format, const std::string& base,
                                           int depth) {
    const PlaylistOrigin origin = CheckAddress(base).kind == AddressKind::LocalPath
                                      ? PlaylistOrigin::Local
                                      : PlaylistOrigin::Network;
    // Every entry that may be played, in order: when one fails the next is tried.
    std::vector<std::string> playable = PlayableEntries(entries, format, base, origin);
    if (playable.empty())
        return Fail("The playlist holds no address that can be played.");
    if (IsPlaylistReadByPlayer(playable.front()))
        return Resolve(playable.front(), depth + 1);  // the engine cannot read it
    return PlayEntries(std::move(playable), origin, depth);
}

Resolution AddressResolver::PlayEntries(std::vector<std::string> playable, PlaylistOrigin origin,
                                        int depth) {
    if (!HasHlsExtension(playable.front()))
        return Play(std::move(playable), origin);
    // The engine's HLS reader has no size cap: the first is read here first, and the rest
    // wait in case it is refused.
    const std::string first = playable.front();
    return FetchPlaylist(first, Purpose::Playlist, depth + 1, std::move(playable), origin);
}

Resolution AddressResolver::FetchPlaylist(const std::string& url, Purpose purpose, int depth,
                                          std::vector<std::string> waiting, PlaylistOrigin origin,
                                          const std::string& engineReason) {
    if (m_fetching == Fetching::Later) {
        Resolution later;
        later.needsNetwork = true;
        return later;
    }
    if (purpose == Purpose::Playlist && !m_fetched.insert(url).second)
        return Fail("The playlist leads back to \"" + url + "\", which was opened already.");
    HttpRequest request = PlaylistRequest(url, m_fetchDeadlineMs);
    request.cancel = m_cancel;
    const HttpResponse fetched = Fetch(request);
    if (fetched.failure == HttpFailure::Cancelled || (m_cancel && m_cancel->load())) {
        Resolution cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    bool ok = fetched.Ok();
    std::string error = PlaylistFetchError(fetched, request);
    std::string refusal = Refusal(url, fetched, request);
    const std::string base = fetched.finalUrl.empty() ? url : fetched.finalUrl;
    // An HLS playlist is the engine's to read, once it and what it names are whole.
    const bool hls = ok && IsHlsPlaylist(fetched.body);
    const PlaylistFormat format =
        ok && !hls ? DetectFetchedPlaylistFormat(fetched.body, url, fetched.contentType)
                   : PlaylistFormat::NotAPlaylist;
    if (hls) {
        const HlsNestedCheck nested = CheckHlsNestedPlaylists(fetched.body, base, request);
        if (nested.tooMany) {
            refusal = "The stream names more than " + std::to_string(kMaxHlsNestedPlaylists) +
                      " playlists.";
        } else if (!nested.ok) {
            refusal = Refusal(nested.address, nested.fetched, request);
        }
        if (!nested.ok) {
            ok = false;
            error = refusal;
        }
    }
    if (format != PlaylistFormat::NotAPlaylist)
        return ResolveEntries(ReadPlaylistEntries(fetched.body, format), format, base, depth);
    if (purpose == Purpose::Fallback)
        return Fail(ok ? engineReason : engineReason + "\n" + error);
    if (!ok && waiting.size() > 1) {
        waiting.erase(waiting.begin());
        return PlayEntries(std::move(waiting), origin, depth - 1);
    }
    if (!ok)
        return Fail(refusal.empty() ? error : refusal);
    // Named like a playlist but something else (or a whole HLS playlist): the engine's.
    Resolution result =
        waiting.empty() ? Play({url}, PlaylistOrigin::Network) : Play(std::move(waiting), origin);
    result.lookedAt = true;
    return result;
}

Resolution AddressResolver::Play(std::vector<std::string> addresses, PlaylistOrigin origin) const {
    Resolution result;
    result.play = std::move(addresses);
    result.origin = origin;
    result.depth = m_depth;
    result.fetched = m_fetched;
    return result;
}

Resolution AddressResolver::Fail(std::string reason) const {
    Resolution result;
    result.failed = true;
    result.failure = std::move(reason);
    result.depth = m_depth;
    result.fetched = m_fetched;
    return result;
}

}  // namespace quorvel
