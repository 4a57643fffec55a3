#include "logos/LogoCache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "files/FileIo.h"

namespace quorvel {
namespace {

constexpr std::size_t kMaxRecordBytes = 4096;
constexpr std::string_view kCopySuffix = ".logo";
constexpr std::string_view kRecordSuffix = ".meta";

// FNV-1a over the address: names its files. A collision only makes two addresses share a
// name, and the record's own address tells them apart.
std::string HashName(std::string_view address) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : address) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        name[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
    return name;
}

bool IsCacheFileName(const std::string& name) {
    if (name.size() != 16 + kCopySuffix.size())
        return false;
    const std::string_view suffix = std::string_view(name).substr(16);
    if (suffix != kCopySuffix && suffix != kRecordSuffix)
        return false;
    return std::all_of(name.begin(), name.begin() + 16,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool ParseTime(std::string_view text, std::int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::filesystem::path DefaultLogoCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        return std::filesystem::path(cache) / "quorvel" / "logos";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".cache" / "quorvel" / "logos";
    return {};
}

LogoCache::LogoCache(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path LogoCache::CopyPath(const std::string& address) const {
    return m_folder / (HashName(address) + std::string(kCopySuffix));
}

std::filesystem::path LogoCache::RecordPath(const std::string& address) const {
    return m_folder / (HashName(address) + std::string(kRecordSuffix));
}

std::optional<LogoRecord> LogoCache::Record(const std::string& address) const {
    std::string bytes;
    std::string error;
    if (m_folder.empty() ||
        ReadFileAtMost(RecordPath(address), kMaxRecordBytes, bytes, error) != FileReadStatus::Read)
        return std::nullopt;
    LogoRecord record;
    bool named = false;
    bool sound = true;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const std::size_t space = line.find(' ');
        const std::string_view key = line.substr(0, space);
        const std::string_view value =
            space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (key == "address") {
            named = value == address;
        } else if (key == "etag") {
            record.etag = value;
        } else if (key == "fetched") {
            sound = sound && ParseTime(value, record.fetchedAt);
        } else if (key == "failed") {
            sound = sound && ParseTime(value, record.failedAt);
        }
    }
    if (!named || !sound)
        return std::nullopt;
    record.address = address;
    return record;
}

bool LogoCache::HasCopy(const std::string& address) const {
    struct stat info {};
    return !m_folder.empty() && ::stat(CopyPath(address).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode) && info.st_size > 0;
}

bool LogoCache::ReadCopy(const std::string& address, std::string& bytes) const {
    std::string error;
    return !m_folder.empty() &&
           ReadFileAtMost(CopyPath(address), kMaxLogoBytes, bytes, error) == FileReadStatus::Read &&
           !bytes.empty();
}

bool LogoCache::MakeFolder(std::string& error) const {
    if (m_folder.empty()) {
        error = "No folder for the logo cache.";
        return false;
    }
    // Made part by part with mode 0700: what a user watches is nobody else's business.
    std::filesystem::path partial;
    for (const auto& part : m_folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            error = DescribeFileError(partial, "cannot create the folder", errno);
            return false;
        }
    }
    return true;
}

bool LogoCache::StoreCopy(const LogoRecord& record, std::string_view bytes, std::string& error) {
    return MakeFolder(error) && WriteFileAtomically(CopyPath(record.address), bytes, error) &&
           StoreRecord(record, error);
}

bool LogoCache::StoreRecord(const LogoRecord& record, std::string& error) {
    if (HasLineBreak(record.address) || HasLineBreak(record.etag)) {
        error = "A logo's address or validator holds a line break.";
        return false;
    }
    std::string text = "address " + record.address + "\n";
    if (!record.etag.empty())
        text += "etag " + record.etag + "\n";
    text += "fetched " + std::to_string(record.fetchedAt) + "\n";
    text += "failed " + std::to_string(record.failedAt) + "\n";
    return MakeFolder(error) && WriteFileAtomically(RecordPath(record.address), text, error);
}

void LogoCache::Trim(std::uint64_t maxBytes) {
    struct Held {
        std::filesystem::path path;
        std::filesystem::file_time_type time;
        std::uint64_t size;
    };
    std::vector<Held> files;
    std::uint64_t total = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!IsCacheFileName(it->path().filename().string()) || !it->is_regular_file(ec))
            continue;
        const auto size = it->file_size(ec);
        const auto time = it->last_write_time(ec);
        if (ec)
            continue;
        files.push_back({it->path(), time, size});
        total += size;
    }
    if (total <= maxBytes)
        return;
    std::sort(files.begin(), files.end(),
              [](const Held& a, const Held& b) { return a.time < b.time; });
    for (const Held& file : files) {
        if (total <= maxBytes)
            break;
        if (std::filesystem::remove(file.path, ec))
            total -= file.size;
    }
}

}  // namespace quorvel
