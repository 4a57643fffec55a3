#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "catalogue/CatalogueEntries.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uFile.h"
#include "m3u/M3uRows.h"

namespace quorvel::tool {
namespace {

constexpr const char* kImportHelp =
    "Usage: quorvel-catalogue import-m3u FILE [--category C]\n"
    "Writes the channels of the (extended) M3U playlist FILE as plain catalogue lines,\n"
    "name|URL|category|type, UTF-8 with LF line ends, ready for `encode`.\n"
    "The name is the #EXTINF title (else tvg-name, else the URL); the type is the\n"
    "languages of tvg-language joined by \"/\"; the category is C, else a group-title\n"
    "naming one of TV, Radio, Video, XXX, else TV. What a catalogue cannot store becomes\n"
    "\"?\" (\"|\" becomes \"/\"); addresses are percent-encoded instead.\n";

constexpr const char* kExportHelp =
    "Usage: quorvel-catalogue export-m3u FILE\n"
    "Writes the encoded catalogue FILE as an extended M3U playlist (UTF-8) with\n"
    "tvg-name, tvg-language (the type's languages joined by \";\") and group-title (the\n"
    "category). Channels without an address are left out.\n";

}  // namespace

int RunImportM3u(const std::vector<std::string>& args) {
    const CommandLine line(args, {"category"});
    if (line.HelpWanted())
        return WriteStdout(kImportHelp) ? 0 : 1;
    line.ExpectPositionals(1, 1);
    std::string bytes;
    std::string error;
    if (!ReadM3uFile(line.Positionals()[0], bytes, error))
        throw UsageError(error);
    const M3uPlaylist playlist = ParseM3u(bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    if (playlist.tooManyEntries)
        throw UsageError(TooManyEntriesMessage(line.Positionals()[0]));
    const std::vector<CatalogueEntry> channels =
        ChannelsFromM3u(playlist, {line.Option("category").value_or("")});

    std::string out;
    for (const CatalogueEntry& channel : channels)
        out.append(CatalogueLineOf(channel)).push_back('\n');
    if (playlist.entriesWithoutAddress > 0) {
        std::fprintf(stderr, "quorvel-catalogue import-m3u: %zu #EXTINF without an address\n",
                     playlist.entriesWithoutAddress);
    }
    return WriteStdout(out) ? 0 : 1;
}

int RunExportM3u(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kExportHelp) ? 0 : 1;
    line.ExpectPositionals(1, 1);
    std::vector<CatalogueEntry> channels;
    std::string error;
    if (!ReadCatalogueEntries(line.Positionals()[0], channels, error))
        throw UsageError(error);
    return WriteStdout(WriteM3u(channels)) ? 0 : 1;
}

}  // namespace quorvel::tool
