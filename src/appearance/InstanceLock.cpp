#include "appearance/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quorvel {
namespace {

std::string FileNameFor(std::string_view programName) {
    std::string name;
    for (const char c : programName) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        name.push_back(plain ? c : '_');
    }
    if (name.empty() || name.front() == '.')
        name.insert(name.begin(), '_');
    return name + ".lock";
}

std::filesystem::path TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    if (tmp && tmp[0] == '/')
        return tmp;
    return "/tmp";
}

// The user's own folder under the shared temporary folder: made mode 0700, and used only
// when it is a real folder of this user that nobody else can write, since another user could
// otherwise plant a link there.
bool PrepareUserFolder(const std::filesystem::path& folder, std::string& error) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = folder.string() + ": cannot create: " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        error = folder.string() + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0) {
        error = folder.string() + ": not a private folder of this user";
        return false;
    }
    return true;
}

const char* RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && runtime[0] == '/' ? runtime : nullptr;
}

}  // namespace

std::filesystem::path InstanceLockPath(std::string_view programName) {
    if (const char* runtime = RuntimeFolder())
        return std::filesystem::path(runtime) / FileNameFor(programName);
    return TemporaryFolder() / ("quorvel-" + std::to_string(::geteuid())) /
           FileNameFor(programName);
}

InstanceLock::InstanceLock(std::string_view programName) : m_path(InstanceLockPath(programName)) {
    if (!RuntimeFolder() && !PrepareUserFolder(m_path.parent_path(), m_error))
        return;
    // No links followed, no controlling terminal, not passed on to programs started later.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (m_fd < 0) {
        m_error = m_path.string() + ": cannot open: " + std::strerror(errno);
        return;
    }
    int result = 0;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_state = InstanceLockState::Acquired;
        return;
    }
    const int err = errno;
    ::close(m_fd);
    m_fd = -1;
    if (err == EWOULDBLOCK) {
        m_state = InstanceLockState::HeldByAnother;
    } else {
        m_error = m_path.string() + ": cannot lock: " + std::strerror(err);
    }
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        ::close(m_fd);  // the lock goes with the descriptor; the file stays for the next start
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : m_fd(other.m_fd),
      m_state(other.m_state),
      m_error(std::move(other.m_error)),
      m_path(std::move(other.m_path)) {
    other.m_fd = -1;
    other.m_state = InstanceLockState::Unavailable;
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_state = other.m_state;
        m_error = std::move(other.m_error);
        m_path = std::move(other.m_path);
        other.m_fd = -1;
        other.m_state = InstanceLockState::Unavailable;
    }
    return *this;
}

namespace {

std::unique_ptr<InstanceLock>& ProcessLock() {
    static std::unique_ptr<InstanceLock> lock;
    return lock;
}

}  // namespace

bool PreviousInstanceRunning(std::string_view programName) {
    auto& held = ProcessLock();
    if (held)
        return false;
    auto lock = std::make_unique<InstanceLock>(programName);
    const InstanceLockState state = lock->State();
    if (state == InstanceLockState::Acquired)
        held = std::move(lock);
    return state == InstanceLockState::HeldByAnother;
}

void ReleaseInstanceLock() {
    ProcessLock().reset();
}

}  // namespace quorvel
