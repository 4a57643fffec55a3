#pragma once

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

namespace quorvel::test {

// Called in a child between fork and exec: the child is killed when the test that started it
// ends in any way, so a test killed by its timeout leaves no program of its own running.
// `test` is the test's process id, taken before the fork: a test that ended before the call
// took effect is seen as a new parent.
inline void DieWithTest(pid_t test) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != test)
        ::_exit(127);
}

}  // namespace quorvel::test
