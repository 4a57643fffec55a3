// Takes the instance lock of a program name as a second process would, and says how it went:
// exit status 0 acquired, 3 held by another, 4 unavailable. With "die" it kills itself while
// holding the lock.
#include <csignal>
#include <cstdio>

#include "appearance/InstanceLock.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const quorvel::InstanceLock lock(argv[1]);
    if (lock.State() == quorvel::InstanceLockState::Unavailable) {
        std::fprintf(stderr, "%s\n", lock.Error().c_str());
        return 4;
    }
    if (!lock.Held())
        return 3;
    if (argc > 2 && std::string_view(argv[2]) == "die")
        std::raise(SIGKILL);
    return 0;
}
