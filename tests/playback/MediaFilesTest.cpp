#include "playback/LocalMediaFolder.h"
#include "playback/MediaPatterns.h"
#include "playback/RecordingName.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvel {
namespace {

TEST(MediaPatterns, ClassicPatternsFirstThenRecordingsAndCommonFormats) {
    ASSERT_EQ(MediaFilePatterns().size(), 45u);
    EXPECT_EQ(MediaFilePatterns().front(), "*.asf");
    EXPECT_EQ(MediaFilePatterns()[8], "*.dvr-ms");
    EXPECT_EQ(MediaFilePatterns()[32], "*.qt");
    for (const char* name :
         {"a.asf", "B.WMA",     "c.Wmv",  "d.wm",    "show.dvr-ms", "x.MPEG",  "y.mpv2",
          "z.m3u", "song.MiDi", "t.aifc", "clip.qt", ".mp3",        "a.b.wav", "a.mp4",
          "b.MKV", "c.ogg",     "d.flac", "e.m4a",   "f.webm",      "g.opus"}) {
        EXPECT_TRUE(IsMediaFileName(name)) << name;
    }
    for (const char* name : {"e.m3u8", "f.pls", "g.asx", "h.wmvx", "i.mp3.txt", "j.tsx",
                             "k.ts.part", "mp3", "", "wav"}) {
        EXPECT_FALSE(IsMediaFileName(name)) << name;
    }
    // Whatever the recorder writes, the list offers to play back.
    for (const RecordedStream& stream : std::vector<RecordedStream>{{"hls", "aac", true},
                                                                    {"matroska", "opus", true},
                                                                    {"mp3", "mp3", false},
                                                                    {"aac", "aac", false},
                                                                    {"ogg", "opus", false},
                                                                    {"flac", "flac", false},
                                                                    {"ogg", "vorbis", false},
                                                                    {"asf", "wmav2", false}}) {
        const std::string name = "Radio 2026-01-05 07-09" + RecordingExtension(stream);
        EXPECT_TRUE(IsMediaFileName(name)) << name;
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
    for (const char* name : {"b.MP3", "a.wav", "C.wma", "notes.txt", "film.mp4", ".hidden.mp3",
                             "News 2026-01-05 07-09.ts", "Film 2026-01-05 07-09.mkv"}) {
        dir.Write(name, "x");
    }
    std::filesystem::create_directories(dir / "Folder.mp3");
    std::filesystem::create_directories(dir / "alpha");
    std::filesystem::create_directories(dir / ".cache");
    std::filesystem::create_symlink(dir / "missing.wav", dir / "dangling.wav");
    std::error_code ec;
    EXPECT_EQ(ListMediaFiles(dir.Path(), ec),
              (std::vector<std::string>{"a.wav", "b.MP3", "C.wma", "Film 2026-01-05 07-09.mkv",
                                        "film.mp4", "News 2026-01-05 07-09.ts"}));
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
