#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "CatalogueTool.h"
#include "ChildProcess.h"
#include "ScopedEnv.h"
#include "TempDir.h"
#include "catalogue/ChannelList.h"
#include "catalogue/LineCodec.h"

namespace quorvel {
namespace {

using test::CatalogueTool;
using test::ProcessResult;
using test::TempDir;

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Plain lines: accented names, a blank line, CR LF and LF mixed, fields past the fourth,
// no end after the last.
const std::string kSource =
    "Caf\xC3\xA9 TV|http://cafe|TV|Fran\xC3\xA7"
    "ais/English\r\n"
    "\n"
    "BBC|http://bbc|TV|English\n"
    "RT\xC3\x89 Jazz|http://jazz|Radio|Music\n"
    "Talk|http://talk|Radio|News|extra|fields\n"
    "Old|http://old|TV|Old English";

TEST(CatalogueToolTest, EncodeAndDecodeRoundTrip) {
    TempDir dir;
    const auto source = dir.Write("source.txt", kSource);
    const ProcessResult encoded = CatalogueTool({"encode", source.string()});
    ASSERT_EQ(encoded.exitStatus, 0) << encoded.err;
    // Windows-1252 bytes, encoded, CR LF after every line, the blank line kept.
    EXPECT_EQ(encoded.out.substr(0, encoded.out.find("\r\n")),
              EncodeLine("Caf\xE9 TV|http://cafe|TV|Fran\xE7"
                         "ais/English"));
    EXPECT_EQ(encoded.out.find('\n'), encoded.out.find("\r\n") + 1);
    EXPECT_EQ(encoded.out.substr(encoded.out.find("\r\n") + 2, 2), "\r\n");
    EXPECT_EQ(encoded.out.substr(encoded.out.size() - 2), "\r\n");

    // The same from standard input.
    EXPECT_EQ(CatalogueTool({"encode"}, kSource).out, encoded.out);

    const auto data = dir.Write("Data.txt", encoded.out);
    const ProcessResult decoded = CatalogueTool({"decode", data.string()});
    ASSERT_EQ(decoded.exitStatus, 0) << decoded.err;
    std::string expected = kSource;
    expected.erase(expected.find('\r'), 1);
    EXPECT_EQ(decoded.out, expected + "\n");
}

TEST(CatalogueToolTest, EncodeRefusesCharactersACatalogueCannotHold) {
    // Ì encodes to CR: the record would split when read back. É (a lone LF) would not.
    const ProcessResult result = CatalogueTool({"encode"},
                                               "fine|u|TV|x\nRT\xC3\x89|u|TV|x\n\xC3\x8C"
                                               "le|u|TV|x\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("line 3"), std::string::npos) << result.err;
}

TEST(CatalogueToolTest, ListAndLanguagesShowWhatThePlayerShows) {
    TempDir dir;
    const auto data = dir.Write("Data.txt", CatalogueTool({"encode"}, kSource).out);
    ProcessResult list =
        CatalogueTool({"list", data.string(), "--category", "TV", "--language", "english"});
    ASSERT_EQ(list.exitStatus, 0) << list.err;
    EXPECT_EQ(list.out,
              "Caf\xC3\xA9 TV\thttp://cafe\tTV\tFran\xC3\xA7"
              "ais/English\n"
              "BBC\thttp://bbc\tTV\tEnglish\n"
              "Old\thttp://old\tTV\tOld English\n");
    list = CatalogueTool({"list", data.string(), "--category=Radio", "--language="});
    EXPECT_EQ(list.out,
              "RT\xC3\x89 Jazz\thttp://jazz\tRadio\tMusic\nTalk\thttp://talk\tRadio\tNews\n");

    const ProcessResult languages = CatalogueTool({"languages", data.string(), "--category", "TV"});
    ASSERT_EQ(languages.exitStatus, 0) << languages.err;
    EXPECT_EQ(languages.out,
              "All\nEnglish\nFran\xC3\xA7"
              "ais\nOld English\n");
}

// Commands that never touch the network or the settings start without libcurl, TLS and
// SQLite (the loader says which libraries it loads).
TEST(CatalogueToolTest, ListingLoadsNoNetworkOrSettingsLibrary) {
    TempDir dir;
    const auto data = dir.Write("Data.txt", CatalogueTool({"encode"}, kSource).out);
    const test::ScopedEnv debug("LD_DEBUG", "libs");
    const ProcessResult list = CatalogueTool({"list", data.string(), "--category", "TV"});
    ASSERT_EQ(list.exitStatus, 0);
    EXPECT_NE(list.err.find("libc.so"), std::string::npos) << list.err;
    EXPECT_EQ(list.err.find("libcurl"), std::string::npos) << list.err;
    EXPECT_EQ(list.err.find("libsqlite3"), std::string::npos) << list.err;
}

TEST(CatalogueToolTest, ListFailurePrintsRowsSoFarAndTheMessage) {
    TempDir dir;
    const auto data = dir.Write(
        "Data.txt", CatalogueTool({"encode"}, "A|u|TV|x\nB|u|TV|x\nbroken|line\nC|u|TV|x\n").out);
    const ProcessResult list = CatalogueTool({"list", data.string(), "--category", "TV"});
    EXPECT_EQ(list.exitStatus, 1);
    EXPECT_EQ(list.out, "A\tu\tTV\tx\nB\tu\tTV\tx\n");
    EXPECT_EQ(list.err, std::string(kCatalogueMissingMessage) + "\n");
    EXPECT_EQ(CatalogueTool({"languages", data.string(), "--category", "TV"}).exitStatus, 1);
}

TEST(CatalogueToolTest, ListRefusesAPipeOrDeviceInsteadOfWaiting) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "Data.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "Zero.txt");
    for (const char* name : {"Data.txt", "Zero.txt"}) {
        const ProcessResult list =
            CatalogueTool({"list", (dir / name).string(), "--category", "TV"});
        EXPECT_EQ(list.exitStatus, 1) << name;
        EXPECT_EQ(list.out, "");
        EXPECT_EQ(list.err, std::string(kCatalogueMissingMessage) + "\n");
    }
}

TEST(CatalogueToolTest, HelpAndBadArguments) {
    for (const char* command : {"decode", "encode", "list", "languages"}) {
        const ProcessResult help = CatalogueTool({command, "--help"});
        EXPECT_EQ(help.exitStatus, 0) << command;
        EXPECT_NE(help.out.find(std::string("quorvel-catalogue ") + command), std::string::npos);
    }
    TempDir dir;
    const auto data = dir.Write("Data.txt", "");
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"decode"},
        {"decode", (dir / "missing.txt").string()},
        {"decode", dir.Path().string()},
        {"encode", (dir / "missing.txt").string()},
        {"list", data.string()},
        {"list", data.string(), "--category"},
        {"list", data.string(), "--category", "TV", "--colour", "red"},
        {"list", (dir / "missing.txt").string(), "--category", "TV"},
        {"list", dir.Path().string(), "--category", "TV"},
        {"languages", data.string(), "--category", "TV", "--language", "x"},
        {"languages", data.string(), "extra", "--category", "TV"},
    };
    for (const auto& args : bad) {
        const ProcessResult result = CatalogueTool(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(result.exitStatus, 2) << shown;
        EXPECT_EQ(LineCount(result.err), 1u) << shown << result.err;
        EXPECT_TRUE(result.out.empty()) << shown;
    }
}

}  // namespace
}  // namespace quorvel
