// Takes the instance lock of a program name as a second process would, and says how it went:
// exit status 0 acquired, 3 held by another, 4 unavailable. With "die" it kills itself while
// holding the lock. With "hold PROGRAM [ARGUMENTS]" it runs the program while holding the lock,
// as a running instance would, and ends with the program's exit status (5 when the lock was
// not taken).
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string_view>

#include "../DieWithTest.h"
#include "appearance/InstanceLock.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const quorvel::InstanceLock lock(argv[1]);
    if (lock.State() == quorvel::InstanceLockState::Unavailable) {
        std::fprintf(stderr, "%s\n", lock.Error().c_str());
        return 4;
    }
    const std::string_view mode = argc > 2 ? argv[2] : "";
    if (mode == "hold" && argc > 3) {
        if (!lock.Held())
            return 5;
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test killed by its timeout takes this along
        // The lock's descriptor is closed on exec: the program does not hold it, this does.
        const pid_t probe = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            quorvel::test::DieWithTest(probe);
            ::execvp(argv[3], argv + 3);
            ::_exit(127);
        }
        int status = 0;
        while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }
    if (!lock.Held())
        return 3;
    if (mode == "die")
        std::raise(SIGKILL);
    return 0;
}
