// quorvel-catalogue-net: the network commands of quorvel-catalogue, which starts it for them
// so that its other commands never load the network libraries.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "NetworkCommands.h"

int main(int argc, char** argv) {
    using namespace quorvel::tool;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "quorvel-catalogue: missing command (see --help)\n");
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    // Messages name the tool the user ran.
    try {
        if (command == "check")
            return RunCheck(args);
        throw UsageError("unknown command " + command);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quorvel-catalogue %s: %s\n", command.c_str(), e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-catalogue %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}
