#include "playlists/PlaylistStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "appearance/ProgramFiles.h"
#include "files/FileDescriptor.h"
#include "files/FileIo.h"
#include "files/TextCase.h"
#include "playback/AddressPolicy.h"
#include "playback/PlaylistFetch.h"
#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistReader.h"

namespace quorvel {
namespace {

constexpr std::string_view kIndexName = "index.txt";
constexpr std::string_view kIndexHeader = "Quorvel playlists 1";
constexpr std::size_t kMaxIndexBytes = 16u * 1024 * 1024;

// TAB, CR, LF and the backslash written as escapes, so a name of any characters keeps its
// line and field.
void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out.push_back(c);
        }
    }
}

std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char next = text[++i];
        out.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next);
    }
    return out;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::string IndexText(const std::vector<StoredPlaylist>& playlists) {
    std::string out(kIndexHeader);
    out.push_back('\n');
    for (const StoredPlaylist& p : playlists) {
        out += std::to_string(p.id) + '\t' + std::to_string(p.refreshSeconds) + '\t' +
               std::to_string(p.refreshedAt);
        for (const std::string* text : {&p.name, &p.source, &p.etag, &p.lastModified}) {
            out.push_back('\t');
            AppendEscaped(out, *text);
        }
        out.push_back('\n');
    }
    return out;
}

// Held while the index is reread and rewritten; another instance waits for it.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : m_fd(::open((folder / "index.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (m_fd.Valid()) {
            int result;
            do {
                result = ::flock(m_fd.Get(), LOCK_EX);
            } while (result != 0 && errno == EINTR);
            m_locked = result == 0;
        }
    }
    ~FolderLock() {
        if (m_locked)
            ::flock(m_fd.Get(), LOCK_UN);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Locked() const { return m_locked; }

private:
    FileDescriptor m_fd;
    bool m_locked = false;
};

bool MakeFolder(const std::filesystem::path& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        error = folder.string() + ": " + code.message();
        return false;
    }
    return true;
}

}  // namespace

bool StoredPlaylist::IsAddress() const {
    const std::string scheme = ToLowerAscii(SchemeOf(source));
    return scheme == "http" || scheme == "https";
}

std::filesystem::path DefaultPlaylistsFolder() {
    return ProgramFileToWrite("Playlists");
}

std::string DefaultPlaylistName(const std::string& source) {
    std::string_view path = source;
    if (!SchemeOf(source).empty())
        path = path.substr(0, path.find_first_of("?#"));
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.find_last_of('/');
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return last.empty() ? source : std::string(last);
}

PlaylistStore::PlaylistStore(std::filesystem::path folder) : m_folder(std::move(folder)) {}

bool PlaylistStore::ReadIndex(std::vector<StoredPlaylist>& playlists, std::string& error) const {
    playlists.clear();
    std::string bytes;
    const FileReadStatus status =
        ReadFileAtMost(m_folder / kIndexName, kMaxIndexBytes, bytes, error);
    if (status == FileReadStatus::Missing) {
        error.clear();
        return true;
    }
    if (status != FileReadStatus::Read)
        return false;
    std::string_view rest = bytes;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (first) {
            first = false;
            if (line != kIndexHeader) {
                error = (m_folder / kIndexName).string() + ": not a playlist index";
                return false;
            }
            continue;
        }
        const auto fields = SplitTabs(line);
        StoredPlaylist p;
        if (fields.size() < 7 || !ParseNumber(fields[0], p.id) ||
            !ParseNumber(fields[1], p.refreshSeconds) || !ParseNumber(fields[2], p.refreshedAt))
            continue;
        p.name = Unescaped(fields[3]);
        p.source = Unescaped(fields[4]);
        p.etag = Unescaped(fields[5]);
        p.lastModified = Unescaped(fields[6]);
        playlists.push_back(std::move(p));
    }
    return true;
}

bool PlaylistStore::Load(std::string& error) {
    std::vector<StoredPlaylist> playlists;
    if (!ReadIndex(playlists, error))
        return false;
    m_playlists = std::move(playlists);
    return true;
}

const StoredPlaylist* PlaylistStore::Find(std::uint64_t id) const {
    for (const auto& p : m_playlists) {
        if (p.id == id)
            return &p;
    }
    return nullptr;
}

bool PlaylistStore::Update(const std::function<bool(std::vector<StoredPlaylist>&)>& change,
                           std::string& error) {
    if (!MakeFolder(m_folder, error))
        return false;
    const FolderLock lock(m_folder);
    if (!lock.Locked()) {
        error = (m_folder / "index.lock").string() + ": cannot be locked";
        return false;
    }
    std::vector<StoredPlaylist> playlists;
    if (!ReadIndex(playlists, error))
        return false;
    if (!change(playlists))
        return false;
    if (!WriteFileAtomically(m_folder / kIndexName, IndexText(playlists), error))
        return false;
    m_playlists = std::move(playlists);
    return true;
}

bool PlaylistStore::Add(const std::string& name, const std::string& source, std::uint64_t& id,
                        std::string& error) {
    return Update(
        [&](std::vector<StoredPlaylist>& playlists) {
            std::uint64_t highest = 0;
            for (const auto& p : playlists)
                highest = std::max(highest, p.id);
            StoredPlaylist added;
            added.id = id = highest + 1;
            added.name = name;
            added.source = source;
            playlists.push_back(std::move(added));
            return true;
        },
        error);
}

namespace {

template <typename Fn>
std::function<bool(std::vector<StoredPlaylist>&)> ForOne(std::uint64_t id, std::string& error,
                                                         Fn fn) {
    return [id, &error, fn](std::vector<StoredPlaylist>& playlists) {
        for (auto& p : playlists) {
            if (p.id == id) {
                fn(p);
                return true;
            }
        }
        error = "The playlist is no longer there.";
        return false;
    };
}

}  // namespace

bool PlaylistStore::Rename(std::uint64_t id, const std::string& name, std::string& error) {
    return Update(ForOne(id, error, [&](StoredPlaylist& p) { p.name = name; }), error);
}

bool PlaylistStore::SetRefreshSeconds(std::uint64_t id, std::int64_t seconds, std::string& error) {
    return Update(
        ForOne(id, error,
               [&](StoredPlaylist& p) { p.refreshSeconds = std::max<std::int64_t>(seconds, 60); }),
        error);
}

bool PlaylistStore::Remove(std::uint64_t id, std::string& error) {
    const bool removed = Update(
        [&](std::vector<StoredPlaylist>& playlists) {
            std::erase_if(playlists, [&](const StoredPlaylist& p) { return p.id == id; });
            return true;
        },
        error);
    if (removed) {
        std::error_code ignored;
        std::filesystem::remove(CopyPath(id), ignored);
    }
    return removed;
}

std::filesystem::path PlaylistStore::CopyPath(std::uint64_t id) const {
    return m_folder / (std::to_string(id) + ".playlist");
}

bool PlaylistStore::ReadChannels(const StoredPlaylist& playlist, Playlist& read,
                                 std::string& error) const {
    std::string bytes;
    const bool address = playlist.IsAddress();
    if (!ReadPlaylistFile(address ? CopyPath(playlist.id) : std::filesystem::path(playlist.source),
                          bytes, error))
        return false;
    read = ReadPlaylist(bytes, playlist.source);
    if (read.kind == PlaylistKind::NotAPlaylist) {
        error = playlist.source + ": not a playlist";
        return false;
    }
    return true;
}

bool PlaylistStore::RefreshDue(const StoredPlaylist& playlist, std::int64_t now) {
    return playlist.refreshedAt == 0 || now - playlist.refreshedAt >= playlist.refreshSeconds ||
           now < playlist.refreshedAt;
}

bool PlaylistStore::RecordRefresh(std::uint64_t id, const std::string* copy,
                                  const std::string& etag, const std::string& lastModified,
                                  std::int64_t now, std::string& error) {
    return Update(
        [&](std::vector<StoredPlaylist>& playlists) {
            for (auto& p : playlists) {
                if (p.id != id)
                    continue;
                // Written under the lock: two instances refreshing at once each leave a whole
                // copy and the validators that belong to it.
                if (copy && !WriteFileAtomically(CopyPath(id), *copy, error))
                    return false;
                if (copy) {
                    p.etag = etag;
                    p.lastModified = lastModified;
                }
                p.refreshedAt = now;
                return true;
            }
            error = "The playlist is no longer there.";
            return false;
        },
        error);
}

RefreshOutcome RefreshPlaylist(PlaylistStore& store, std::uint64_t id, std::int64_t now,
                               const std::atomic<bool>* cancel) {
    RefreshOutcome outcome;
    const StoredPlaylist* found = store.Find(id);
    if (!found) {
        outcome.detail = "The playlist is no longer there.";
        return outcome;
    }
    const StoredPlaylist playlist = *found;
    if (!playlist.IsAddress()) {
        std::string bytes;
        if (!ReadPlaylistFile(playlist.source, bytes, outcome.detail))
            return outcome;
        const Playlist read = ReadPlaylist(bytes, playlist.source);
        if (read.kind == PlaylistKind::NotAPlaylist || read.channels.empty()) {
            outcome.result = RefreshResult::NotAPlaylist;
            outcome.detail = playlist.source + ": not a playlist";
            return outcome;
        }
        outcome.channels = read.channels.size();
        if (store.RecordRefresh(id, nullptr, {}, {}, now, outcome.detail))
            outcome.result = RefreshResult::Updated;
        return outcome;
    }

    HttpRequest request;
    request.url = playlist.source;
    request.maxBytes = kMaxPlaylistBytes;
    request.connectTimeoutMs = 15'000;
    request.stallTimeoutSeconds = 30;
    request.deadlineMs = 5 * 60 * 1000;
    request.maxRedirects = 5;
    request.cancel = cancel;
    // Validators only help when the copy they describe is still there.
    std::error_code missing;
    if (std::filesystem::is_regular_file(store.CopyPath(id), missing)) {
        request.ifNoneMatch = playlist.etag;
        request.ifModifiedSince = playlist.lastModified;
    }
    HttpResponse response = Fetch(request);
    if (!response.Ok()) {
        outcome.detail = PlaylistFetchError(response, request);
        return outcome;
    }
    if (response.httpStatus == 304) {
        outcome.result = RefreshResult::NotModified;
        if (!store.RecordRefresh(id, nullptr, {}, {}, now, outcome.detail))
            outcome.result = RefreshResult::Failed;
        return outcome;
    }
    const Playlist read = ReadPlaylist(
        response.body, response.finalUrl.empty() ? playlist.source : response.finalUrl);
    if (read.kind == PlaylistKind::NotAPlaylist || read.channels.empty()) {
        outcome.result = RefreshResult::NotAPlaylist;
        outcome.detail = "The answer is not a playlist.";
        return outcome;
    }
    outcome.channels = read.channels.size();
    if (!store.RecordRefresh(id, &response.body, response.etag, response.lastModified, now,
                             outcome.detail))
        return outcome;
    outcome.result = RefreshResult::Updated;
    return outcome;
}

}  // namespace quorvel
