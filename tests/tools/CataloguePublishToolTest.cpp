#include <gtest/gtest.h>

#include "../catalogue/CatalogueTestFiles.h"
#include "CatalogueTool.h"
#include "ChildProcess.h"

namespace quorvel {
namespace {

using test::CatalogueTool;
using test::ProcessResult;
using test::TempDir;

TEST(CataloguePublishTool, PublishThenExtractGivesTheCatalogue) {
    TempDir dir;
    const auto source = dir.Write("source.txt",
                                  "Caf\xC3\xA9|http://cafe|TV|Fran\xC3\xA7"
                                  "ais\r\n\n"
                                  "Jazz|http://jazz|Radio|Music\n");
    const auto page = dir / "Data.htm";
    const ProcessResult published = CatalogueTool({"publish", source.string(), page.string()});
    ASSERT_EQ(published.exitStatus, 0) << published.err;
    const std::string lines =
        test::EncodeCatalogue({"Caf\xC3\xA9|http://cafe|TV|Fran\xC3\xA7"
                               "ais",
                               "Jazz|http://jazz|Radio|Music"});
    EXPECT_EQ(dir.Read("Data.htm"), "<data>\r\n" + lines + "</data>\r\n");

    dir.Write("served.htm", "<html>\r\n" + dir.Read("Data.htm") + "</html>");
    const ProcessResult extracted =
        CatalogueTool({"extract", (dir / "served.htm").string(), (dir / "Data.txt").string()});
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
    EXPECT_EQ(dir.Read("Data.txt"), "\r\n" + lines + "\r\n");
}

TEST(CataloguePublishTool, RefusalsAndUsageErrors) {
    TempDir dir;
    dir.Write("Data.txt", "old");
    dir.Write("Data.htm", "old page");
    dir.Write("open.htm", "<data>\r\nno end");
    dir.Write("bad.txt", "fine|u|TV|x\nno separator here\n");
    const auto path = [&](const char* name) { return (dir / name).string(); };

    const ProcessResult open = CatalogueTool({"extract", path("open.htm"), path("Data.txt")});
    EXPECT_EQ(open.exitStatus, 1);
    EXPECT_NE(open.err.find("end marker"), std::string::npos) << open.err;
    EXPECT_EQ(dir.Read("Data.txt"), "old");

    const ProcessResult bad = CatalogueTool({"publish", path("bad.txt"), path("Data.htm")});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_NE(bad.err.find("line 2"), std::string::npos) << bad.err;
    EXPECT_EQ(dir.Read("Data.htm"), "old page");

    EXPECT_EQ(CatalogueTool({"publish", path("absent.txt"), path("x.htm")}).exitStatus, 2);
    EXPECT_EQ(CatalogueTool({"extract", path("open.htm")}).exitStatus, 2);
    for (const char* command : {"publish", "extract"}) {
        const ProcessResult help = CatalogueTool({command, "--help"});
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_NE(help.out.find(std::string("Usage: quorvel-catalogue ") + command),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace quorvel
