#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

enum class InstanceLockState {
    Acquired,       // this object holds the lock
    HeldByAnother,  // another process (of this user) holds it
    Unavailable,    // no lock file could be made; see Error()
};

// A lock of one program for one user: an flock on a file in $XDG_RUNTIME_DIR, or in a
// private folder of the user under the temporary folder when that is not set. The system
// drops the lock when its holder ends in any way, so a crashed instance never blocks the next
// start; programs started by the holder do not inherit it.
class InstanceLock {
public:
    // Tries once, without waiting.
    explicit InstanceLock(std::string_view programName);
    ~InstanceLock();
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    InstanceLockState State() const { return m_state; }
    bool Held() const { return m_state == InstanceLockState::Acquired; }
    const std::string& Error() const { return m_error; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    int m_fd = -1;
    InstanceLockState m_state = InstanceLockState::Unavailable;
    std::string m_error;
    std::filesystem::path m_path;
};

// Where the lock of that program lives for the current user and environment. The program
// name is kept to letters, digits, ".", "-" and "_" so that any product name is one file name.
std::filesystem::path InstanceLockPath(std::string_view programName);

// The start-up check: true when another instance of the program runs for this user. The
// first call that finds none takes the lock and keeps it for the rest of the process, so
// later calls in this process answer false. When no lock can be made the answer is false:
// starting twice is better than not starting at all.
bool PreviousInstanceRunning(std::string_view programName);

// Gives up the lock that PreviousInstanceRunning took (tests run several windows in turn).
void ReleaseInstanceLock();

}  // namespace quorvel
