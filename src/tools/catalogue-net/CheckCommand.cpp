#include <chrono>
#include <cstdio>
#include <map>

#include "CommandLine.h"
#include "NetworkCommands.h"
#include "catalogue/CatalogueEntries.h"
#include "health/StreamChecker.h"

namespace quorvel::tool {
namespace {

constexpr const char* kCheckHelp =
    "Usage: quorvel-catalogue check FILE [--concurrency N] [--timeout SECONDS]\n"
    "Probes the address of every channel of the encoded catalogue FILE, N at a time\n"
    "(default 20), allowing each SECONDS (default 10), and writes one line per channel in\n"
    "file order, fields separated by TAB:\n"
    "  status (ok, dead, timeout, refused, skipped), HTTP status (- for none), time to\n"
    "  the first byte in ms (- for none), reason, name, address\n"
    "http and https are asked for their first bytes (a playlist is followed to its first\n"
    "stream; redirects only to http and https); other stream schemes are connected to.\n"
    "A summary goes to standard error. The exit status is 0 whenever the check ran.\n";

int PositiveOption(const CommandLine& line, const std::string& name, int fallback, int most) {
    const auto text = line.Option(name);
    if (!text)
        return fallback;
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text->size() || value < 1 || value > most)
        throw UsageError("--" + name + " takes a whole number from 1 to " + std::to_string(most));
    return value;
}

std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    const CommandLine line(args, {"concurrency", "timeout"});
    if (line.HelpWanted())
        return WriteStdout(kCheckHelp) ? 0 : 1;
    line.ExpectPositionals(1, 1);
    CheckOptions options;
    options.concurrency = PositiveOption(line, "concurrency", 20, 1000);
    options.timeoutMs = 1000L * PositiveOption(line, "timeout", 10, 3600);

    std::vector<CatalogueEntry> channels;
    std::string error;
    if (!ReadCatalogueEntries(line.Positionals()[0], channels, error))
        throw UsageError(error);
    std::vector<std::string> addresses;
    addresses.reserve(channels.size());
    for (const auto& channel : channels)
        addresses.push_back(channel.url);

    // Lines go out in file order as soon as every channel before them is known.
    std::vector<bool> known(channels.size(), false);
    std::vector<ProbeResult> results(channels.size());
    std::size_t printed = 0;
    bool writeFailed = false;
    const auto start = std::chrono::steady_clock::now();
    StreamChecker checker(options);
    checker.Check(addresses, [&](std::size_t index, const ProbeResult& result) {
        known[index] = true;
        results[index] = result;
        std::string out;
        for (; printed < channels.size() && known[printed]; ++printed) {
            const ProbeResult& r = results[printed];
            out.append(StatusName(r.status)).push_back('\t');
            out.append(r.httpStatus ? std::to_string(r.httpStatus) : "-").push_back('\t');
            out.append(r.firstByteMs >= 0 ? std::to_string(r.firstByteMs) : "-").push_back('\t');
            out.append(Field(r.reason + (r.viaPlaylist ? " (via playlist)" : ""))).push_back('\t');
            out.append(Field(channels[printed].name)).push_back('\t');
            out.append(Field(channels[printed].url)).push_back('\n');
        }
        if (!out.empty() && !writeFailed)
            writeFailed = !WriteStdout(out);
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::map<std::string_view, std::size_t> counts;
    for (const auto& result : results)
        ++counts[StatusName(result.status)];
    std::string summary = std::to_string(channels.size()) + " channels:";
    for (const auto name : {"ok", "dead", "timeout", "refused", "skipped"})
        summary += " " + std::to_string(counts[name]) + " " + name + ",";
    std::fprintf(stderr, "quorvel-catalogue check: %s in %.1f s\n", summary.c_str(), seconds);
    return writeFailed ? 1 : 0;
}

}  // namespace quorvel::tool
