#include "TempDir.h"
#include "files/FileIo.h"
#include "files/TextCase.h"
#include "files/TextLines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvel {
namespace {

using Lines = std::vector<std::string_view>;

TEST(TextLines, EndAtCrLfOrLoneCrButNeverAtLoneLf) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c\nd"}));
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("\r\n\r\nx"), (Lines{"", "", "x"}));
    EXPECT_EQ(SplitLines("a\r\r\n"), (Lines{"a", ""}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines(std::string_view("a\0b", 3)), (Lines{std::string_view("a\0b", 3)}));
}

TEST(TextLines, JoinWritesCrLfAfterEveryLine) {
    EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLinesCrLf({}), "");
}

TEST(TextCase, SearchesAndComparesWithoutLetterCase) {
    EXPECT_TRUE(EqualsIgnoringCase("Http://", "hTTP://"));
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abcd"));
    EXPECT_EQ(FindIgnoringCase("Old ENGLISH|", "english|"), 4u);
    EXPECT_EQ(ReplaceAllIgnoringCase("hkey_current_user\\X\\HKEY_CURRENT_USER", "HKEY_CURRENT_USER",
                                     "HKCU"),
              "HKCU\\X\\HKCU");
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(FileIo, ReadsOnlyRegularFilesUpToTheCap) {
    test::TempDir dir;
    std::string bytes, error;
    dir.Write("x.bin", std::string("\0\xFF\r\n", 4));
    ASSERT_EQ(ReadFileAtMost(dir / "x.bin", 4, bytes, error), FileReadStatus::Read) << error;
    EXPECT_EQ(bytes, std::string("\0\xFF\r\n", 4));
    EXPECT_EQ(ReadFileAtMost(dir / "x.bin", 3, bytes, error), FileReadStatus::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_NE(error.find("x.bin: larger than 3 bytes"), std::string::npos) << error;

    EXPECT_EQ(ReadFileAtMost(dir / "missing.txt", 9, bytes, error), FileReadStatus::Missing);
    EXPECT_NE(error.find("missing.txt"), std::string::npos);
    EXPECT_EQ(ReadFileAtMost(dir.Path(), 9, bytes, error), FileReadStatus::Folder);
    EXPECT_NE(error.find("Is a directory"), std::string::npos);

    // A pipe with no writer would block the open and the read; /dev/zero never ends. Both
    // are refused on what was opened, without reading.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero");
    for (const char* name : {"pipe", "zero"}) {
        EXPECT_EQ(ReadFileAtMost(dir / name, std::size_t{1} << 40, bytes, error),
                  FileReadStatus::NotAFile)
            << name;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
}

TEST(FileIo, AtomicRewriteReplacesContentAndKeepsPermissions) {
    test::TempDir dir;
    std::string error;
    const auto path = dir.Write("Data.txt", "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, "new\r\n", error)) << error;
    EXPECT_EQ(dir.Read("Data.txt"), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// The old file's owner may not be the one writing: a link is not followed for the mode, and
// the special and world-write bits are never carried over.
TEST(FileIo, AtomicRewriteNeverTakesUnsafeModes) {
    test::TempDir dir;
    std::string error;
    const mode_t mask = ::umask(022);
    const auto target = dir.Write("target", "other");
    ASSERT_EQ(::chmod(target.c_str(), 04777), 0);
    std::filesystem::create_symlink(target, dir / "Favorites.txt");
    const auto plain = dir.Write("Data.txt", "old");
    ASSERT_EQ(::chmod(plain.c_str(), 04777), 0);
    for (const char* name : {"Favorites.txt", "Data.txt"}) {
        ASSERT_TRUE(WriteFileAtomically(dir / name, "new", error)) << error;
        struct stat st {};
        ASSERT_EQ(::lstat((dir / name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
        EXPECT_EQ(st.st_mode & 07777, 0644u) << name;
    }
    ::umask(mask);
    EXPECT_EQ(dir.Read("target"), "other");
}

// The temporary file must not need a longer name than the file itself may have.
TEST(FileIo, AtomicRewriteTakesTheLongestNameTheFolderAllows) {
    test::TempDir dir;
    std::string error;
    for (const std::size_t length : {std::size_t{200}, std::size_t{248}, std::size_t{255}}) {
        const std::string name(length, 'n');
        ASSERT_TRUE(WriteFileAtomically(dir / name, "first", error)) << length << ": " << error;
        ASSERT_TRUE(WriteFileAtomically(dir / name, "second", error)) << length << ": " << error;
        EXPECT_EQ(dir.Read(name), "second");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

TEST(FileIo, FailedRewriteLeavesTheOldFile) {
    test::TempDir dir;
    std::string error;
    const auto path = dir.Write("sub/Favorites.txt", "keep me");
    // A folder standing where the file should be cannot be replaced by a file.
    std::filesystem::create_directory(dir / "sub/Blocked");
    dir.Write("sub/Blocked/inside", "x");
    EXPECT_FALSE(WriteFileAtomically(dir / "sub/Blocked", "data", error));
    EXPECT_FALSE(error.empty());
    // A folder that is missing cannot take the temporary file either.
    EXPECT_FALSE(WriteFileAtomically(dir / "nowhere/Data.txt", "data", error));
    EXPECT_EQ(dir.Read("sub/Favorites.txt"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), {}), 2);
}

}  // namespace
}  // namespace quorvel
