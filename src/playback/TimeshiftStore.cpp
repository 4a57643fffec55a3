#include "playback/TimeshiftStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace quorvel {
namespace {

// Holes are punched in whole blocks.
constexpr std::int64_t kBlock = 4096;
constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::int64_t kGiB = 1024 * kMiB;
constexpr std::string_view kEnginePrefix = "mpv-cache-";
constexpr std::string_view kEngineSuffix = ".dat";

std::string LinkTarget(const std::string& link) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || std::size_t(length) >= target.size())
        return {};
    target.resize(std::size_t(length));
    return target;
}

std::string FdLink(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

TimeshiftStore::TimeshiftStore(std::filesystem::path folder, std::int64_t capBytes)
    : m_folder(std::move(folder)),
      m_cap(std::max<std::int64_t>(capBytes, kBlock)),
      m_budget(m_cap) {
    std::error_code ignored;
    std::filesystem::create_directories(m_folder.parent_path(), ignored);
    ::mkdir(m_folder.c_str(), 0700);
    m_dir =
        FileDescriptor(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st = {};
    if (!m_dir.Valid()) {
        m_refusal = ::lstat(m_folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? Refusal::Link
                                                                               : Refusal::Unusable;
        return;
    }
    if (::fstat(m_dir.Get(), &st) != 0) {
        m_dir = FileDescriptor();
        return;
    }
    if (st.st_uid != ::geteuid()) {
        m_dir = FileDescriptor();
        m_refusal = Refusal::OtherOwner;
        return;
    }
    // Only this user's: it holds what was watched.
    if ((st.st_mode & 07777) != 0700 && ::fchmod(m_dir.Get(), 0700) != 0) {
        m_dir = FileDescriptor();
        return;
    }
    // The engine's files show in /proc with every link resolved.
    m_resolved = LinkTarget(FdLink(m_dir.Get()));
    if (m_resolved.empty()) {
        m_dir = FileDescriptor();
        return;
    }
    m_refusal = Refusal::None;
}

std::string TimeshiftStore::EngineFolder() const {
    return m_dir.Valid() ? FdLink(m_dir.Get()) : std::string();
}

void TimeshiftStore::ClearLeftovers() const {
    if (!m_dir.Valid())
        return;
    // A descriptor of its own: reading a folder moves its descriptor's position.
    const int fd = ::openat(m_dir.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(fd), ::closedir);
    if (!listing) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        struct stat st = {};
        if (IsEngineCacheName(name) &&
            ::fstatat(m_dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
            ::unlinkat(m_dir.Get(), name.c_str(), 0);
        }
    }
}

bool TimeshiftStore::Attach() {
    if (!Usable())
        return false;
    // The engine unlinked its file: only the links of our own open files still lead to it.
    const std::string prefix = m_resolved + "/" + std::string(kEnginePrefix);
    int newest = -1;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const std::string target = LinkTarget(entry.path().string());
        if (target.rfind(prefix, 0) != 0)
            continue;
        const std::string name = entry.path().filename().string();
        const int fd = std::atoi(name.c_str());
        if (fd != m_file.Get() && fd > newest)
            newest = fd;
    }
    if (newest < 0)
        return m_file.Valid();
    // The link is followed on purpose: it is the way to the unlinked file.
    FileDescriptor file(::open(FdLink(newest).c_str(), O_WRONLY | O_CLOEXEC));
    struct stat st = {};
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return m_file.Valid();
    m_file = std::move(file);
    m_keptFrom = 0;
    return true;
}

void TimeshiftStore::Detach() {
    m_file = FileDescriptor();
    m_keptFrom = 0;
    m_diskShort = false;
}

std::int64_t TimeshiftStore::FileBytes() const {
    struct stat st = {};
    return m_file.Valid() && ::fstat(m_file.Get(), &st) == 0 ? st.st_size : 0;
}

std::int64_t TimeshiftStore::DiskBytes() const {
    struct stat st = {};
    return m_file.Valid() && ::fstat(m_file.Get(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : 0;
}

std::int64_t TimeshiftStore::Trim(std::int64_t protectFrom) {
    if (!m_file.Valid())
        return m_keptFrom;
    struct statvfs fs = {};
    m_budget = m_cap;
    if (::fstatvfs(m_dir.Get(), &fs) == 0) {
        const DiskSpace disk{std::int64_t(fs.f_blocks) * std::int64_t(fs.f_frsize),
                             std::int64_t(fs.f_bavail) * std::int64_t(fs.f_frsize)};
        m_budget = TimeshiftBudget(m_cap, DiskBytes(), disk);
    }
    const std::int64_t end = FileBytes();
    // Once reached, a short budget stays in force for the stream until the disk has room.
    m_diskShort = m_budget < m_cap && (m_diskShort || end - m_keptFrom > m_budget);
    std::int64_t until = std::min(end - m_budget, protectFrom);
    until -= until % kBlock;
    if (until <= m_keptFrom)
        return m_keptFrom;
    if (::fallocate(m_file.Get(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, m_keptFrom,
                    until - m_keptFrom) == 0) {
        m_keptFrom = until;
    }
    return m_keptFrom;
}

bool IsEngineCacheName(const std::string& name) {
    // Six letters or digits in place of the template's X.
    constexpr std::size_t kRandom = 6;
    if (name.size() != kEnginePrefix.size() + kRandom + kEngineSuffix.size() ||
        name.compare(0, kEnginePrefix.size(), kEnginePrefix) != 0 ||
        name.compare(name.size() - kEngineSuffix.size(), kEngineSuffix.size(), kEngineSuffix) !=
            0) {
        return false;
    }
    const auto random = std::string_view(name).substr(kEnginePrefix.size(), kRandom);
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

std::int64_t TimeshiftReserve(std::int64_t totalBytes) {
    const std::int64_t share = std::min(totalBytes / 20, 4 * kGiB);
    return std::min(std::max(256 * kMiB, share), std::max<std::int64_t>(totalBytes, 0) / 4);
}

std::int64_t TimeshiftBudget(std::int64_t capBytes, std::int64_t keptBytes, const DiskSpace& disk) {
    const std::int64_t room = keptBytes + disk.available - TimeshiftReserve(disk.total);
    return std::clamp<std::int64_t>(room, 0, capBytes);
}

std::int64_t TimeshiftCapBytes(const std::string& megabytes) {
    std::int64_t value = 0;
    const auto* end = megabytes.data() + megabytes.size();
    const auto [at, error] = std::from_chars(megabytes.data(), end, value);
    if (error != std::errc() || at != end || value <= 0)
        value = 1024;
    return std::clamp<std::int64_t>(value, 64, 64 * 1024) * kMiB;
}

double TimeAtOffset(std::int64_t offset, std::int64_t fileBytes, double start, double end) {
    if (fileBytes <= 0 || !(end > start))
        return start;
    return start + (end - start) * double(std::clamp<std::int64_t>(offset, 0, fileBytes)) /
                       double(fileBytes);
}

std::int64_t OffsetAtTime(double time, std::int64_t fileBytes, double start, double end) {
    if (fileBytes <= 0 || !(end > start) || !std::isfinite(time))
        return 0;
    const double share = std::clamp((time - start) / (end - start), 0.0, 1.0);
    return static_cast<std::int64_t>(share * double(fileBytes));
}

}  // namespace quorvel
