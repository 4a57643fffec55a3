#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "catalogue/CatalogueRows.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/Publish.h"
#include "catalogue/WebUpdate.h"
#include "files/FileIo.h"

namespace quorvel::tool {
namespace {

constexpr const char* kPublishHelp =
    "Usage: quorvel-catalogue publish SOURCE OUT.htm\n"
    "Reads plain UTF-8 lines \"name|URL|category|type\" (LF or CR LF; blank lines are passed\n"
    "over) from SOURCE and writes them as a channel list page to OUT.htm, exactly as the\n"
    "editing panel's \"Encrypt and Save\" does: \"<data>\", the encoded lines, \"</data>\".\n"
    "A line without \"|\", or one holding a character a channel list cannot store, is\n"
    "reported; nothing is written and the exit status is 1.\n";

constexpr const char* kExtractHelp =
    "Usage: quorvel-catalogue extract PAGE.htm OUT.txt\n"
    "Writes the channel list held between \"<data>\" and \"</data>\" in PAGE.htm to OUT.txt,\n"
    "exactly as the program's update stores its catalogue. A page without both markers\n"
    "leaves OUT.txt as it was and the exit status is 1.\n";

void Fail(const char* command, const std::string& message) {
    std::fprintf(stderr, "quorvel-catalogue %s: %s\n", command, message.c_str());
}

}  // namespace

int RunPublish(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kPublishHelp) ? 0 : 1;
    line.ExpectPositionals(2, 2);
    const std::string text = ReadInputFile(line.Positionals()[0]);

    ListRows rows;
    std::vector<ListRow> parsed;
    bool refused = false;
    ForEachInputLine(text, [&](std::size_t lineNumber, std::string_view plain) {
        if (plain.empty())
            return true;
        const RecordFields fields = SplitRecordFields(plain);
        if (fields.count == 0) {
            Fail("publish", "line " + std::to_string(lineNumber) + " holds no \"|\"");
            refused = true;
            return false;
        }
        parsed.push_back(MakeCatalogueRow(std::string(fields.Name()), std::string(fields.Url()),
                                          std::string(fields.Category()),
                                          std::string(fields.Type())));
        return true;
    });
    if (refused)
        return 1;
    rows.AddRows(std::move(parsed));
    const PublishResult published = PublishCatalogue(rows, line.Positionals()[1]);
    if (!published.ok) {
        Fail("publish", published.error);
        return 1;
    }
    return 0;
}

int RunExtract(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kExtractHelp) ? 0 : 1;
    line.ExpectPositionals(2, 2);
    const std::string page = ReadInputFile(line.Positionals()[0]);
    const UpdateResult result = ApplyUpdatePage(page, line.Positionals()[1]);
    if (!result.Applied()) {
        Fail("extract", result.message);
        return 1;
    }
    return 0;
}

}  // namespace quorvel::tool
