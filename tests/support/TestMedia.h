#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::test {

// Mp3Frames: bare MP3 frames, no tags or header frame, so copies can follow each other as
// an endless radio stream does.
enum class MediaKind { Wav, Mp3, Wma, Wmv, Mp4, Mp3Frames };

// A small media file (3 s of a sine tone, with a test picture for the video kinds) made by
// ffmpeg once per test process in a private folder; empty path when ffmpeg failed.
const std::filesystem::path& TestMediaFile(MediaKind kind);

// An HLS stream (index.m3u8 and its .ts segments, 1 s each) made in the folder; the files'
// names, the index first; empty when ffmpeg failed.
std::vector<std::string> MakeHlsStream(const std::filesystem::path& folder);

// The bytes of a test media file.
std::string TestMediaBytes(MediaKind kind);

}  // namespace quorvel::test
