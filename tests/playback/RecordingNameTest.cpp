#include "playback/RecordingName.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quorvel {
namespace {

TEST(RecordingName, HostileChannelNamesNeverLeaveTheFolderOrHideTheFile) {
    struct Case {
        std::string name;
        std::string part;
    };
    const Case cases[] = {
        {"../../etc/passwd", "_.._etc_passwd"},
        {"..", "Recording"},
        {"", "Recording"},
        {" . . ", "Recording"},
        {".hidden", "hidden"},
        {"a\\b/c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"line\nbreak\x7f", "line_break_"},
        {"  Radio   One  ", "Radio One"},
        {"trailing dot.", "trailing dot"},
        {"bad \xff\xc0\xaf utf8", "bad ___ utf8"},
        {"Ελληνικό κανάλι", "Ελληνικό κανάλι"},
        // The cap: at it the name is whole, one past it is cut, never inside a character.
        {std::string(kChannelNameBytes, 'a'), std::string(kChannelNameBytes, 'a')},
        {std::string(kChannelNameBytes + 1, 'a'), std::string(kChannelNameBytes, 'a')},
        {std::string(kChannelNameBytes - 1, 'a') + "é", std::string(kChannelNameBytes - 1, 'a')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordingChannelPart(c.name), c.part) << c.name;

    std::tm when{};
    when.tm_year = 2026 - 1900, when.tm_mon = 0, when.tm_mday = 5, when.tm_hour = 7;
    when.tm_min = 9;
    EXPECT_EQ(RecordingBaseName("News/24", when), "News_24 2026-01-05 07-09");
}

TEST(RecordingName, ExtensionFitsTheStream) {
    EXPECT_EQ(RecordingExtension({"hls", "aac", true}), ".ts");
    EXPECT_EQ(RecordingExtension({"mpegts", "mp2", true}), ".ts");
    EXPECT_EQ(RecordingExtension({"mov,mp4,m4a,3gp,3g2,mj2", "aac", true}), ".mkv");
    EXPECT_EQ(RecordingExtension({"mp3", "mp3", false}), ".mp3");
    EXPECT_EQ(RecordingExtension({"aac", "aac", false}), ".aac");
    EXPECT_EQ(RecordingExtension({"ogg", "vorbis", false}), ".ogg");
    EXPECT_EQ(RecordingExtension({"asf", "wmav2", false}), ".mka");
}

TEST(RecordingName, ReservingNeverOpensAnExistingFile) {
    test::TempDir dir;
    dir.Write("Radio 2026-01-05 07-09.mp3", "old");
    ASSERT_EQ(
        ::symlink((dir / "elsewhere").c_str(), (dir / "Radio 2026-01-05 07-09 (2).mp3").c_str()),
        0);

    const auto folder = dir / "Music" / "new";
    const ReservedFile missingFolder = ReserveRecordingFile(folder, "Radio", ".mp3");
    EXPECT_EQ(missingFolder.error, 0);
    EXPECT_EQ(missingFolder.path, folder / "Radio.mp3");

    const ReservedFile next = ReserveRecordingFile(dir.Path(), "Radio 2026-01-05 07-09", ".mp3");
    EXPECT_EQ(next.error, 0);
    EXPECT_EQ(next.path.filename(), "Radio 2026-01-05 07-09 (3).mp3");
    EXPECT_EQ(dir.Read("Radio 2026-01-05 07-09.mp3"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));

    // A folder the user may not write, also when the tests run as root.
    const auto locked = dir / "locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0555);
    ::chmod(dir.Path().c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(ReserveRecordingFile(locked, "Radio", ".mp3").error);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EACCES);

    // The 999th name is the last one tried.
    const auto full = dir / "full";
    std::filesystem::create_directory(full);
    dir.Write("full/R.ts", "");
    for (int n = 2; n < 999; ++n)
        dir.Write("full/R (" + std::to_string(n) + ").ts", "");
    EXPECT_EQ(ReserveRecordingFile(full, "R", ".ts").path, full / "R (999).ts");
    EXPECT_EQ(ReserveRecordingFile(full, "R", ".ts").error, EEXIST);

    const ReservedFile notAFolder =
        ReserveRecordingFile(dir / "Radio 2026-01-05 07-09.mp3", "x", ".mp3");
    EXPECT_NE(notAFolder.error, 0);
    EXPECT_TRUE(notAFolder.path.empty());
}

}  // namespace
}  // namespace quorvel
