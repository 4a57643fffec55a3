// quorvel-catalogue: tools for catalogue maintainers (decode, encode, list, languages).
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"

namespace {

using namespace quorvel::tool;

constexpr const char* kUsage =
    "Usage: quorvel-catalogue COMMAND [ARGUMENTS]\n"
    "Commands:\n"
    "  decode FILE                              the catalogue's lines decoded, as UTF-8\n"
    "  encode [FILE]                            UTF-8 lines encoded as a catalogue\n"
    "  list FILE --category C [--language L]    the channels listed for a category\n"
    "  languages FILE --category C              the language box of a category\n"
    "  import-m3u FILE [--category C]           an M3U playlist as plain catalogue lines\n"
    "  export-m3u FILE                          the catalogue as an extended M3U playlist\n"
    "  channels PLAYLIST                        a playlist's guides and channels, TAB-separated\n"
    "  check FILE [--concurrency N] [--timeout SECONDS]  whether the channels' streams answer\n"
    "  publish SOURCE OUT.htm                   plain lines as a channel list page\n"
    "  extract PAGE.htm OUT.txt                 the channel list of a page as a catalogue\n"
    "Each command explains itself with --help.\n";

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
    if (command == "--help" || command == "help")
        return WriteStdout(kUsage) ? 0 : 1;
    if (command == "decode")
        return RunDecode(args);
    if (command == "encode")
        return RunEncode(args);
    if (command == "list")
        return RunList(args);
    if (command == "languages")
        return RunLanguages(args);
    if (command == "import-m3u")
        return RunImportM3u(args);
    if (command == "export-m3u")
        return RunExportM3u(args);
    if (command == "channels")
        return RunChannels(args);
    if (command == "check")
        return RunNetworkCommand(command, args);
    if (command == "publish")
        return RunPublish(args);
    if (command == "extract")
        return RunExtract(args);
    throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    return quorvel::tool::RunCatalogueTool(argc, argv, RunCommand);
}
