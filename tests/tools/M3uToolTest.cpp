#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CatalogueTool.h"
#include "ChildProcess.h"
#include "TempDir.h"
#include "catalogue/LineCodec.h"

namespace quorvel {
namespace {

using test::CatalogueTool;
using test::ProcessResult;
using test::TempDir;

TEST(M3uToolTest, CatalogueRoundTripsThroughM3u) {
    TempDir dir;
    // Windows-1252 plain lines: an accented name, two languages, a blank line, a line
    // without "|" (no record).
    const std::string plain[] = {
        "Caf\xE9 TV|http://cafe.example/live|TV|Fran\xE7"
        "ais/English",
        "", "not a record", "Jazz|http://jazz.example:8000/|Radio|Music"};
    std::string catalogue;
    for (const auto& line : plain)
        catalogue.append(EncodeLine(line)).append("\r\n");
    const auto data = dir.Write("Data.txt", catalogue);

    const ProcessResult exported = CatalogueTool({"export-m3u", data.string()});
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    EXPECT_NE(exported.out.find("group-title=\"Radio\",Jazz\nhttp://jazz.example:8000/\n"),
              std::string::npos);
    const auto m3u = dir.Write("list.m3u", exported.out);

    const ProcessResult imported = CatalogueTool({"import-m3u", m3u.string()});
    ASSERT_EQ(imported.exitStatus, 0) << imported.err;
    EXPECT_EQ(imported.out,
              "Caf\xC3\xA9 TV|http://cafe.example/live|TV|Fran\xC3\xA7"
              "ais/English\n"
              "Jazz|http://jazz.example:8000/|Radio|Music\n");

    const ProcessResult radio = CatalogueTool({"import-m3u", m3u.string(), "--category", "Radio"});
    EXPECT_EQ(radio.out.find("|TV|"), std::string::npos);
}

TEST(M3uToolTest, RefusesWhatIsNotAPlaylistFile) {
    TempDir dir;
    // A pipe would be read until a writer comes: refused without reading.
    const auto fifo = dir / "pipe.m3u";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const ProcessResult pipe = CatalogueTool({"import-m3u", fifo.string()});
    EXPECT_EQ(pipe.exitStatus, 2);
    EXPECT_NE(pipe.err.find("not a regular file"), std::string::npos);

    EXPECT_EQ(CatalogueTool({"channels", fifo.string()}).exitStatus, 2);
    const ProcessResult page =
        CatalogueTool({"channels", dir.Write("page.m3u", "<html>log in</html>").string()});
    EXPECT_EQ(page.exitStatus, 2);
    EXPECT_NE(page.err.find("not a playlist"), std::string::npos);
    EXPECT_EQ(CatalogueTool({"import-m3u", (dir / "missing.m3u").string()}).exitStatus, 2);
    EXPECT_EQ(CatalogueTool({"export-m3u", (dir / "missing.txt").string()}).exitStatus, 2);
}

}  // namespace
}  // namespace quorvel
