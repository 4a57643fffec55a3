#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

// What the engine tells of a stream about to be recorded.
struct RecordedStream {
    // The container the engine reads: "mpegts", "hls", "mp3", "matroska"...
    std::string fileFormat;
    // The sound's codec: "mp3", "aac", "opus"...
    std::string audioCodec;
    // A moving picture, not a still cover.
    bool hasVideo = false;
};

// The file extension a recording of the stream takes, dot included: MPEG-TS and HLS stay
// transport streams, other video goes into Matroska, sound keeps its own format.
std::string RecordingExtension(const RecordedStream& stream);

// A channel name made fit to be part of one file name: no path separators or control
// characters, no leading dots, valid UTF-8, at most kChannelNameBytes bytes; never empty.
std::string RecordingChannelPart(std::string_view channel);
constexpr std::size_t kChannelNameBytes = 100;

// "<channel> <YYYY-MM-DD HH-MM>".
std::string RecordingBaseName(std::string_view channel, const std::tm& localTime);

struct ReservedFile {
    std::filesystem::path path;
    // errno of the failure; 0 when the file was made.
    int error = 0;
};

// Makes a new empty file "<base><ext>" in the folder (made first when missing), or
// "<base> (2)<ext>" and so on when that name is taken: an existing file is never opened.
ReservedFile ReserveRecordingFile(const std::filesystem::path& folder, const std::string& base,
                                  const std::string& extension);

}  // namespace quorvel
