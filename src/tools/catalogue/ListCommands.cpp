#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "CommandLine.h"
#include "Commands.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelListing.h"

namespace quorvel::tool {
namespace {

constexpr const char* kListHelp =
    "Usage: quorvel-catalogue list FILE --category C [--language L]\n"
    "Writes the channels the player lists for category C and language filter L (omitted or\n"
    "empty: All), one per line: name, URL, category and type separated by TAB, UTF-8.\n"
    "When the catalogue cannot be loaded, the channels listed before the fault are written\n"
    "and the exit status is 1.\n";

constexpr const char* kLanguagesHelp =
    "Usage: quorvel-catalogue languages FILE --category C\n"
    "Writes the entries of the language box for category C, \"All\" first, one per line.\n";

// A usable catalogue path: a file that exists and is not a folder.
void CheckCatalogueFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        throw UsageError(path + ": no such file");
    if (std::filesystem::is_directory(status))
        throw UsageError(path + ": is a folder");
}

struct Load {
    std::string file;
    BrowsingState state;
};

Load ParseLoad(const CommandLine& line) {
    line.ExpectPositionals(1, 1);
    const auto category = line.Option("category");
    if (!category || category->empty())
        throw UsageError("--category is required");
    Load load{line.Positionals()[0], {}};
    load.state.CurrentCategory = *category;
    load.state.CurrentLanguage = line.Option("language").value_or("");
    CheckCatalogueFile(load.file);
    return load;
}

void PrintMessage(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace

int RunList(const std::vector<std::string>& args) {
    const CommandLine line(args, {"category", "language"});
    if (line.HelpWanted())
        return WriteStdout(kListHelp) ? 0 : 1;
    const Load load = ParseLoad(line);
    // Into a pipe, a larger pipe buffer halves the hand-overs to the reader (refused
    // elsewhere).
    ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
    const ListingResult listed = WriteListedChannels(load.file, load.state, WriteStdout);
    if (!listed.loaded)
        PrintMessage(std::string(kCatalogueMissingMessage));
    return listed.loaded && listed.written ? 0 : 1;
}

int RunLanguages(const std::vector<std::string>& args) {
    const CommandLine line(args, {"category"});
    if (line.HelpWanted())
        return WriteStdout(kLanguagesHelp) ? 0 : 1;
    Load load = ParseLoad(line);
    load.state.RefreshLanguageList = true;
    ListRows rows;
    ComboBoxState combo;
    if (!LoadChannelList(load.file, load.state, rows, combo, PrintMessage))
        return 1;
    std::string out;
    for (const auto& item : combo.items)
        out.append(item).push_back('\n');
    return WriteStdout(out) ? 0 : 1;
}

}  // namespace quorvel::tool
