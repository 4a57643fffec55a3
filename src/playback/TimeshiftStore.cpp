#include "playback/TimeshiftStore.h"

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace quorvel {
namespace {

// Holes are punched in whole blocks.
constexpr std::int64_t kBlock = 4096;

}  // namespace

TimeshiftStore::TimeshiftStore(std::filesystem::path folder, std::int64_t capBytes)
    : m_folder(std::move(folder)), m_cap(std::max<std::int64_t>(capBytes, kBlock)) {}

void TimeshiftStore::ClearLeftovers() const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored))
            std::filesystem::remove(entry.path(), ignored);
    }
}

bool TimeshiftStore::Attach() {
    // The engine unlinked its file: only the links of our own open files still lead to it.
    const std::string prefix = (m_folder / "").string();
    int newest = -1;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        const std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
        if (target.rfind(prefix, 0) != 0)
            continue;
        const std::string name = entry.path().filename().string();
        const int fd = std::atoi(name.c_str());
        if (fd != m_file.Get() && fd > newest)
            newest = fd;
    }
    if (newest < 0)
        return m_file.Valid();
    const std::string link = "/proc/self/fd/" + std::to_string(newest);
    // The link is followed on purpose: it is the way to the unlinked file.
    FileDescriptor file(::open(link.c_str(), O_WRONLY | O_CLOEXEC));
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
    const std::int64_t end = FileBytes();
    std::int64_t until = std::min(end - m_cap, protectFrom);
    until -= until % kBlock;
    if (until <= m_keptFrom)
        return m_keptFrom;
    if (::fallocate(m_file.Get(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, m_keptFrom,
                    until - m_keptFrom) == 0) {
        m_keptFrom = until;
    }
    return m_keptFrom;
}

std::int64_t TimeshiftCapBytes(const std::string& megabytes) {
    constexpr std::int64_t kMiB = 1024 * 1024;
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
