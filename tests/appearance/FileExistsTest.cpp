#include "appearance/FileExists.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string S(const fs::path& p) {
    return p.string();
}

TEST(FileNamePart, TakesTextAfterLastSeparatorOfEitherKind) {
    EXPECT_EQ(FileNamePart("/opt/quorvel/Data.txt"), "Data.txt");
    EXPECT_EQ(FileNamePart("C:\\Program Files\\Quorvel\\Favorites.txt"), "Favorites.txt");
    EXPECT_EQ(FileNamePart("admin.txt"), "admin.txt");
    EXPECT_EQ(FileNamePart(""), "");
    EXPECT_EQ(FileNamePart("/opt/quorvel/"), "");
}

TEST(FileExists, MatchesFileNamesWithoutRegardToLetterCase) {
    TempDir dir;
    dir.Write("Data.txt", "x");
    EXPECT_TRUE(FileExists(S(dir / "Data.txt")));
    EXPECT_TRUE(FileExists(S(dir / "DATA.TXT")));
    EXPECT_TRUE(FileExists(S(dir / "data.txt")));
    EXPECT_FALSE(FileExists(S(dir / "Data.tx")));
    // Windows-style separators reach the same file.
    EXPECT_TRUE(FileExists(dir.Path().string() + "\\DATA.txt"));
}

TEST(FileExists, NeverMatchesFoldersWildcardsBrokenLinksOrMissingPaths) {
    TempDir dir;
    dir.Write("Favorites.txt", "x");
    dir.Write("sub/inner.txt", "x");
    fs::create_directory(dir / "Data.txt");  // a folder with a file's name
    fs::create_symlink(dir / "Favorites.txt", dir / "Good.txt");
    fs::create_symlink(dir / "gone.txt", dir / "Broken.txt");
    EXPECT_FALSE(FileExists(S(dir / "sub")));
    EXPECT_FALSE(FileExists(S(dir / "Data.txt")));
    EXPECT_FALSE(FileExists(S(dir / "*.txt")));
    EXPECT_FALSE(FileExists(S(dir / "Favorites.tx?")));
    EXPECT_FALSE(FileExists(S(dir / "missing" / "Favorites.txt")));
    EXPECT_FALSE(FileExists(S(dir / "Favorites.txt" / "x")));
    EXPECT_FALSE(FileExists(S(dir / "Broken.txt")));
    EXPECT_TRUE(FileExists(S(dir / "good.TXT")));  // a link to a file is that file
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(std::string_view("a\0b", 3)));
}

TEST(FileExists, TrailingSeparatorIsTrueOnlyForAnExistingFolderWithoutFiles) {
    TempDir dir;
    fs::create_directory(dir / "empty");
    fs::create_directory(dir / "onlyFolders");
    fs::create_directory(dir / "onlyFolders" / "child");
    dir.Write("full/file.txt", "x");
    EXPECT_TRUE(FileExists(S(dir / "empty") + "/"));
    EXPECT_TRUE(FileExists(S(dir / "empty") + "\\"));
    EXPECT_TRUE(FileExists(S(dir / "onlyFolders") + "/"));
    EXPECT_FALSE(FileExists(S(dir / "full") + "/"));
    EXPECT_FALSE(FileExists(S(dir / "nowhere") + "/"));
    EXPECT_FALSE(FileExists(S(dir / "full" / "file.txt") + "/"));
}

TEST(FileExists, UnreadableFolderIsFalseNotAnError) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    TempDir dir;
    dir.Write("locked/Data.txt", "x");
    fs::permissions(dir / "locked", fs::perms::none);
    EXPECT_FALSE(FileExists(S(dir / "locked" / "data.txt")));
    EXPECT_FALSE(FileExists(S(dir / "locked") + "/"));
}

TEST(FindInFolderIgnoringCase, PrefersExactNameThenSmallestCaseVariant) {
    TempDir dir;
    dir.Write("favorites.TXT", "a");
    dir.Write("Favorites.txt", "b");
    dir.Write("FAVORITES.txt", "c");
    fs::create_directory(dir / "data.txt");
    dir.Write("DATA.TXT", "d");

    EXPECT_EQ(FindInFolderIgnoringCase(dir.Path(), "favorites.TXT"), dir / "favorites.TXT");
    EXPECT_EQ(FindInFolderIgnoringCase(dir.Path(), "Favorites.TXT"), dir / "FAVORITES.txt");
    // The folder called data.txt is passed over for the file of the same name.
    EXPECT_EQ(FindInFolderIgnoringCase(dir.Path(), "data.txt"), dir / "DATA.TXT");
    EXPECT_FALSE(FindInFolderIgnoringCase(dir.Path(), "Help.chm"));
    EXPECT_FALSE(FindInFolderIgnoringCase(dir.Path(), ".."));
    EXPECT_FALSE(FindInFolderIgnoringCase(dir / "missing", "Data.txt"));

    EXPECT_EQ(ResolveInFolder(dir.Path(), "data.TXT"), dir / "DATA.TXT");
    EXPECT_EQ(ResolveInFolder(dir.Path(), "Localization.xml"), dir / "Localization.xml");
}

}  // namespace
}  // namespace quorvel
