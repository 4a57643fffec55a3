// quorvel-guide: programme guides from the command line, for scripts and for checking.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "guide/GuideImport.h"
#include "guide/GuideStore.h"
#include "guide/GuideTime.h"

namespace {

using namespace quorvel;
using namespace quorvel::guide;
using tool::CommandLine;
using tool::UsageError;

constexpr const char* kUsage =
    "usage: quorvel-guide import --store FILE [--now TIME] GUIDE...\n"
    "       quorvel-guide now --store FILE [--at TIME] ID...\n"
    "       quorvel-guide programmes --store FILE --channel ID [--from TIME] [--to TIME]\n"
    "GUIDE is a path or an http/https address (XMLTV, plain, gzip or xz).\n"
    "import keeps programmes from 7 days before --now (default: now) to 14 days after.\n"
    "TIME is YYYYMMDD[hh[mm[ss]]] with an optional zone +hhmm/-hhmm (UTC without one).\n";

GuideTime Now() {
    return static_cast<GuideTime>(std::time(nullptr));
}

GuideTime TimeOption(const CommandLine& line, const std::string& name, GuideTime fallback) {
    const auto text = line.Option(name);
    if (!text)
        return fallback;
    const auto time = ParseGuideTime(*text);
    if (!time)
        throw UsageError("--" + name + ": not a time: " + *text);
    return *time;
}

std::unique_ptr<GuideStore> OpenStore(const CommandLine& line) {
    const auto path = line.Option("store");
    if (!path || path->empty())
        throw UsageError("--store FILE is needed");
    std::string error;
    auto store = GuideStore::Open(*path, error);
    if (!store)
        throw std::runtime_error(error);
    return store;
}

bool Print(const std::string& text) {
    return tool::WriteStdout(text);
}

int Import(const CommandLine& line) {
    if (line.Positionals().empty())
        throw UsageError("no GUIDE given");
    ImportOptions options;
    options.now = TimeOption(line, "now", Now());
    auto store = OpenStore(line);
    int status = 0;
    std::uint64_t channels = 0, programmes = 0, read = 0;
    for (const auto& source : line.Positionals()) {
        const ImportResult result = ImportGuide(*store, source, options);
        if (!result.Ok()) {
            status = 1;
            const char* kept = result.outcome == ImportResult::Outcome::KeptEarlier
                                   ? " (the earlier copy is kept)"
                               : result.outcome == ImportResult::Outcome::KeptPartial
                                   ? " (what was read whole is kept)"
                                   : "";
            std::fprintf(stderr, "quorvel-guide import: %s: %s%s\n", source.c_str(),
                         result.error.c_str(), kept);
        }
        if (result.Ok() || result.outcome == ImportResult::Outcome::KeptPartial) {
            ++read;
            channels += result.channels;
            programmes += result.programmes;
        }
    }
    const std::size_t total = line.Positionals().size();
    Print(std::to_string(read) + " of " + std::to_string(total) +
          (total == 1 ? " guide" : " guides") + " read: " + std::to_string(channels) +
          " channels, " + std::to_string(programmes) + " programmes\n");
    return status;
}

int NowOn(const CommandLine& line) {
    if (line.Positionals().empty())
        throw UsageError("no ID given");
    const GuideTime at = TimeOption(line, "at", Now());
    auto store = OpenStore(line);
    const auto found = store->OnAir(line.Positionals(), at);
    std::string out;
    for (std::size_t i = 0; i < found.size(); ++i) {
        out += line.Positionals()[i];
        if (found[i]) {
            out += '\t' + FormatGuideTime(found[i]->start) + '\t' +
                   FormatGuideTime(found[i]->stop) + '\t' + found[i]->texts[kTitle] + '\n';
        } else {
            out += "\t-\t-\t-\n";
        }
    }
    return Print(out) ? 0 : 1;
}

int Programmes(const CommandLine& line) {
    if (!line.Positionals().empty())
        throw UsageError("unexpected argument " + line.Positionals().front());
    const auto channel = line.Option("channel");
    if (!channel)
        throw UsageError("--channel ID is needed");
    constexpr GuideTime kFar = std::numeric_limits<GuideTime>::max() / 4;
    const GuideTime from = TimeOption(line, "from", -kFar);
    const GuideTime to = TimeOption(line, "to", kFar);
    auto store = OpenStore(line);
    std::string out;
    for (const auto& programme : store->Programmes(*channel, from, to)) {
        out += FormatGuideTime(programme.start) + '\t' + FormatGuideTime(programme.stop) + '\t' +
               programme.texts[kTitle] + '\n';
    }
    return Print(out) ? 0 : 1;
}

int Run(const std::string& command, const std::vector<std::string>& args) {
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "import")
        return Import(CommandLine(args, {"store", "now"}));
    if (command == "now")
        return NowOn(CommandLine(args, {"store", "at"}));
    if (command == "programmes")
        return Programmes(CommandLine(args, {"store", "channel", "from", "to"}));
    throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args.front() == "--help" || args.front() == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        return Run(command, args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quorvel-guide %s: %s\n%s", command.c_str(), e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-guide %s: %s\n", command.c_str(), e.what());
        return 1;
    }
}
