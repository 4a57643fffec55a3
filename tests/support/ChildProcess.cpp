#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "DieWithTest.h"
#include "TempDir.h"

extern char** environ;

namespace quorvel::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Opens `path` as descriptor `target` in a child after fork; false when it cannot.
bool OpenAs(int target, const char* path, int flags) {
    const int fd = ::open(path, flags, 0600);
    if (fd < 0)
        return false;
    if (fd != target) {
        if (::dup2(fd, target) < 0)
            return false;
        ::close(fd);
    }
    return true;
}

// Blocks until the child ends; false when it is still running after the guard.
bool WaitForExit(pid_t pid, int timeoutSeconds, int& status) {
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        // A kernel without pidfds: wait without the guard; ctest's own timeout remains.
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return true;
    }
    pollfd exited{pidfd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&exited, 1, timeoutSeconds * 1000);
    } while (ready < 0 && errno == EINTR);
    ::close(pidfd);
    if (ready <= 0)
        return false;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::optional<std::string>& input, int timeoutSeconds) {
    // Files rather than pipes: no risk of a full pipe blocking either side.
    TempDir io;
    const auto inPath = io.Write("stdin", input.value_or(""));
    const auto outPath = io / "stdout";
    const auto errPath = io / "stderr";

    std::vector<std::string> argvStrings{program.string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Everything the child needs is made before the fork: between fork and exec only
    // async-signal-safe calls.
    const pid_t test = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("cannot start " + program.string());
    if (pid == 0) {
        DieWithTest(test);
        if (OpenAs(0, inPath.c_str(), O_RDONLY) &&
            OpenAs(1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC) &&
            OpenAs(2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC))
            ::execve(program.c_str(), argv.data(), environ);
        ::_exit(127);
    }
    ProcessResult result;
    int status = 0;
    if (!WaitForExit(pid, timeoutSeconds, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.err = "timed out\n";
        return result;
    }
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

}  // namespace quorvel::test
