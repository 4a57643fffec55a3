#include "playback/AddressPolicy.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quorvel {
namespace {

TEST(AddressPolicy, StreamSchemesPassInAnyLetterCaseAndComeBackNormalized) {
    for (const char* address :
         {"http://radio.example/live", "https://tv.example/a.m3u8", "mms://wm.example/tv",
          "mmsh://wm.example/tv", "mmst://wm.example/tv", "rtsp://cam.example:554/s",
          "rtmp://fl.example/app", "rtmps://fl.example/app", "rtp://239.0.0.1:5004",
          "udp://239.0.0.1:1234"}) {
        const AddressCheck check = CheckAddress(address);
        EXPECT_EQ(check.kind, AddressKind::NetworkStream) << address;
        EXPECT_EQ(check.address, address);
    }
    const AddressCheck upper = CheckAddress("  HTTP://Radio.Example/Live?A=B \r\n");
    EXPECT_EQ(upper.kind, AddressKind::NetworkStream);
    EXPECT_EQ(upper.address, "http://Radio.Example/Live?A=B");
}

TEST(AddressPolicy, EngineSchemesRelativePathsAndOddTextAreRefusedWithAReason) {
    for (const char* address : {"file:///etc/passwd",
                                "FILE:///home/x.mp3",
                                "av://lavfi:sine",
                                "lavfi://sine",
                                "fd://0",
                                "fdclose://3",
                                "ytdl://abc",
                                "edl://a.mp4",
                                "memory://data",
                                "archive://x",
                                "dvd://",
                                "smb://share/x",
                                "ftp://host/x",
                                "http://",
                                "",
                                "   ",
                                "-",
                                "music/a.mp3",
                                "C:\\Music\\a.mp3",
                                "\\\\server\\share\\a.wma",
                                "http://a\nb",
                                "/tmp/a\x01.mp3"}) {
        const AddressCheck check = CheckAddress(address);
        EXPECT_EQ(check.kind, AddressKind::Refused) << address;
        EXPECT_FALSE(check.reason.empty()) << address;
    }
    EXPECT_NE(CheckAddress("lavfi://sine").reason.find("\"lavfi://\""), std::string::npos);
}

TEST(AddressPolicy, AbsolutePathsAreLocalEvenWithSchemeLikeText) {
    for (const char* path : {"/home/u/a.mp3", "/tmp/x://y.wav", "//double/slash.mp3"}) {
        EXPECT_EQ(CheckAddress(path).kind, AddressKind::LocalPath) << path;
    }
    // The engine's own rule decides what counts as a scheme.
    EXPECT_EQ(SchemeOf("/tmp/a://b"), "");
    EXPECT_EQ(SchemeOf("1http://x"), "");
    EXPECT_EQ(SchemeOf("Rtsp+Tcp://x"), "rtsp+tcp");
    EXPECT_EQ(CheckAddress("rtsp+tcp://x").kind, AddressKind::Refused);
}

TEST(AddressPolicy, PlaylistsFromTheNetworkLeadOnlyToStreams) {
    const AddressCheck local = CheckAddress("/home/u/a.mp3");
    const AddressCheck stream = CheckAddress("http://x/a.mp3");
    const AddressCheck refused = CheckAddress("file:///a.mp3");
    EXPECT_TRUE(EntryAllowed(stream, PlaylistOrigin::Network));
    EXPECT_FALSE(EntryAllowed(local, PlaylistOrigin::Network));
    EXPECT_TRUE(EntryAllowed(local, PlaylistOrigin::Local));
    EXPECT_FALSE(EntryAllowed(refused, PlaylistOrigin::Local));
}

TEST(AddressPolicy, LocalPathsNamingFoldersDevicesOrPipesHaveAProblem) {
    test::TempDir dir;
    const auto fifo = dir / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A folder would be walked with everything below it (a catalogue line "/usr").
    for (const std::string& path :
         {fifo.string(), std::string("/dev/null"), std::string("/dev/zero"), dir.Path().string()}) {
        EXPECT_FALSE(LocalPathProblem(path).empty()) << path;
    }
    // Files and missing paths are for the engine to judge.
    for (const std::string& path :
         {dir.Write("a.mp3", "x").string(), (dir / "absent.mp3").string()}) {
        EXPECT_EQ(LocalPathProblem(path), "") << path;
    }
}

}  // namespace
}  // namespace quorvel
