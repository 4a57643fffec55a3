// quorvel-catalogue-net: the network commands of quorvel-catalogue, which starts it for them
// so that its other commands never load the network libraries.
#include <string>
#include <vector>

#include "CommandLine.h"
#include "NetworkCommands.h"

namespace {

using namespace quorvel::tool;

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
    if (command == "check")
        return RunCheck(args);
    throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    // Messages name the tool the user ran.
    return quorvel::tool::RunCatalogueTool(argc, argv, RunCommand);
}
