#include "registry/Registry.h"
#include "tools/reg/RegCommands.h"

int main(int argc, char** argv) {
    // A maintainer sees a damaged per-user hive as it is; only the player moves it aside.
    quorvel::reg::Registry::Process().SetDamagedUserHivePolicy(
        quorvel::reg::DamagedHivePolicy::Report);
    // Nobody waits on a maintainer's command line, so it outlasts another program's lock.
    quorvel::reg::Registry::Process().SetLockWait(quorvel::reg::kToolLockWait);
    return quorvel::regtool::RunRegTool(std::vector<std::string>(argv + 1, argv + argc));
}
