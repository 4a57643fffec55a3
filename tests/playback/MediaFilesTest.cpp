#include "playback/LocalMediaFolder.h"
#include "playback/MediaPatterns.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvel {
namespace {

TEST(MediaPatterns, ThirtyThreePatternsInOrderMatchedWithoutRegardToCase) {
    ASSERT_EQ(MediaFilePatterns().size(), 33u);
    EXPECT_EQ(MediaFilePatterns().front(), "*.asf");
    EXPECT_EQ(MediaFilePatterns()[8], "*.dvr-ms");
    EXPECT_EQ(MediaFilePatterns().back(), "*.qt");
    for (const char* name : {"a.asf", "B.WMA", "c.Wmv", "d.wm", "show.dvr-ms", "x.MPEG", "y.mpv2",
                             "z.m3u", "song.MiDi", "t.aifc", "clip.qt", ".mp3", "a.b.wav"}) {
        EXPECT_TRUE(IsMediaFileName(name)) << name;
    }
    for (const char* name : {"a.mp4", "b.mkv", "c.ogg", "d.flac", "e.m3u8", "f.pls", "g.asx",
                             "h.wmvx", "i.mp3.txt", "mp3", "", "wav"}) {
        EXPECT_FALSE(IsMediaFileName(name)) << name;
    }
}

TEST(MediaPatterns, WildcardsMatchLikeFileDialogs) {
    EXPECT_TRUE(MatchesWildcard("*", ""));
    EXPECT_TRUE(MatchesWildcard("a*b*c", "aXXbYYc"));
    EXPECT_TRUE(MatchesWildcard("?.mp3", "A.MP3"));
    EXPECT_FALSE(MatchesWildcard("?.mp3", "ab.mp3"));
    EXPECT_FALSE(MatchesWildcard("a*b", "aXXbX"));
    EXPECT_TRUE(MatchesWildcard("*a*a*a*a*b", std::string(40, 'a') + "b"));
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*b", std::string(4000, 'a')));
}

TEST(LocalMediaFolder, ListsMatchingFilesAndFoldersSortedWithoutHiddenOnes) {
    test::TempDir dir;
    for (const char* name : {"b.MP3", "a.wav", "C.wma", "notes.txt", "film.mp4", ".hidden.mp3"}) {
        dir.Write(name, "x");
    }
    std::filesystem::create_directories(dir / "Folder.mp3");
    std::filesystem::create_directories(dir / "alpha");
    std::filesystem::create_directories(dir / ".cache");
    std::filesystem::create_symlink(dir / "missing.wav", dir / "dangling.wav");
    std::error_code ec;
    EXPECT_EQ(ListMediaFiles(dir.Path(), ec),
              (std::vector<std::string>{"a.wav", "b.MP3", "C.wma"}));
    EXPECT_FALSE(ec);
    EXPECT_EQ(ListSubfolders(dir.Path(), ec), (std::vector<std::string>{"alpha", "Folder.mp3"}));
    EXPECT_TRUE(ListMediaFiles(dir / "absent", ec).empty());
    EXPECT_TRUE(ec);
}

TEST(LocalMediaFolder, JoinsFolderAndNameWithOneSlash) {
    EXPECT_EQ(JoinFolderAndFile("/", "a.mp3"), "/a.mp3");
    EXPECT_EQ(JoinFolderAndFile("/home/u", "a.mp3"), "/home/u/a.mp3");
    EXPECT_EQ(JoinFolderAndFile("/home/u//", "a b.mp3"), "/home/u/a b.mp3");
    EXPECT_EQ(JoinFolderAndFile("/media/usb/", "/x.wav"), "/media/usb/x.wav");
}

}  // namespace
}  // namespace quorvel
