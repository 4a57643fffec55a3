#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "GuideTestFiles.h"

namespace quorvel::guide {
namespace {

using quorvel::test::ProcessResult;
using quorvel::test::TempDir;
using namespace guide::test;

ProcessResult GuideTool(const std::vector<std::string>& args) {
    return quorvel::test::RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel-guide",
                                     args);
}

TEST(GuideTool, ImportThenNowAndProgrammes) {
    TempDir dir;
    const std::string store = (dir / "guide.sqlite").string();
    const auto guide = dir.Write("guide.xml.gz", Gzip(kRulesGuide)).string();
    const ProcessResult imported =
        GuideTool({"import", "--store", store, "--now", "20261208120000", guide});
    ASSERT_EQ(imported.exitStatus, 0) << imported.err;
    EXPECT_EQ(imported.out, "1 of 1 guide read: 3 channels, 15 programmes\n");

    // On air: start <= T < stop; of several, the latest start, then the later in the file.
    const ProcessResult now =
        GuideTool({"now", "--store", store, "--at", "20261208154500 +0100", "one.example",
                   "nothing.example", "ghost.example", "One.example"});
    ASSERT_EQ(now.exitStatus, 0) << now.err;
    EXPECT_EQ(now.out,
              "one.example\t20261208133000 +0000\t20261208150000 +0000\tOverlap\n"
              "nothing.example\t-\t-\t-\n"
              "ghost.example\t-\t-\t-\n"
              "One.example\t-\t-\t-\n");
    const ProcessResult tie =
        GuideTool({"now", "--store", store, "--at", "20261208134500", "one.example"});
    EXPECT_EQ(tie.out, "one.example\t20261208133000 +0000\t20261208143000 +0000\tTie later\n");
    const ProcessResult edge = GuideTool(
        {"now", "--store", store, "--at", "202612081100", "one.example", "ghost.example"});
    EXPECT_EQ(edge.out,
              "one.example\t20261208110000 +0000\t20261208113000 +0000\tZone without space\n"
              "ghost.example\t-\t-\t-\n");

    const ProcessResult range =
        GuideTool({"programmes", "--store", store, "--channel", "one.example", "--from",
                   "2026120812", "--to", "20261208133000"});
    ASSERT_EQ(range.exitStatus, 0) << range.err;
    EXPECT_EQ(range.out,
              "20261208120000 +0000\t20261208130000 +0000\tNews <live> & more\n"
              "20261208130000 +0000\t20261208140000 +0000\tFilm\n");
}

TEST(GuideTool, FailuresAndWrongCommandLines) {
    TempDir dir;
    const std::string store = (dir / "guide.sqlite").string();
    const auto good = dir.Write("good.xml", kRulesGuide).string();
    const auto cut = dir.Write("cut.xml", std::string(kRulesGuide).substr(0, 900)).string();
    const ProcessResult imported = GuideTool({"import", "--store", store, "--now", "20261208", good,
                                              cut, (dir / "absent.xml").string()});
    EXPECT_EQ(imported.exitStatus, 1);
    EXPECT_EQ(imported.out.substr(0, 19), "2 of 3 guides read:") << imported.out;
    EXPECT_NE(imported.err.find("cut.xml: cut off at line"), std::string::npos) << imported.err;
    EXPECT_NE(imported.err.find("absent.xml"), std::string::npos) << imported.err;

    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"import", "--store", store},
             {"import", good},
             {"now", "--store", store},
             {"now", "--store", store, "--at", "tomorrow", "x"},
             {"programmes", "--store", store},
             {"programmes", "--store", store, "--channel", "x", "extra"},
             {"list", "--store", store},
             {"import", "--store", store, "--bogus", "1", good},
         }) {
        SCOPED_TRACE(args.empty() ? "" : args.front());
        EXPECT_EQ(GuideTool(args).exitStatus, 2);
    }
}

}  // namespace
}  // namespace quorvel::guide
