#include "playback/RecordingName.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "files/Utf8.h"

namespace quorvel {
namespace {

bool IsUnsafe(unsigned char c) {
    // Separators, and what FAT and exFAT drives refuse, so a copy to a stick still works.
    constexpr std::string_view kRefused = "/\\:*?\"<>|";
    return c < 0x20 || c == 0x7F || kRefused.find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string RecordingExtension(const RecordedStream& stream) {
    if (!stream.hasVideo) {
        const std::string& codec = stream.audioCodec;
        if (codec == "mp3" || codec == "aac" || codec == "opus" || codec == "flac")
            return "." + codec;
        if (codec == "vorbis")
            return ".ogg";
        // Matroska holds any sound the others cannot.
        return ".mka";
    }
    if (stream.fileFormat == "mpegts" || stream.fileFormat == "hls")
        return ".ts";
    return ".mkv";
}

std::string RecordingChannelPart(std::string_view channel) {
    std::string out;
    bool space = false;
    for (std::size_t at = 0; at < channel.size();) {
        const std::size_t length = ValidUtf8Length(channel, at);
        const auto c = static_cast<unsigned char>(channel[at]);
        std::string_view piece = length ? channel.substr(at, length) : std::string_view("_");
        at += length ? length : 1;
        if (length == 1 && (c == ' ' || c == '\t')) {
            space = !out.empty();
            continue;
        }
        if (length == 1 && IsUnsafe(c))
            piece = "_";
        // Leading dots would hide the file, or name a folder.
        if (out.empty() && piece == ".")
            continue;
        if (out.size() + (space ? 1 : 0) + piece.size() > kChannelNameBytes)
            break;
        if (space)
            out += ' ';
        space = false;
        out += piece;
    }
    // A trailing dot or space is lost on some drives.
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    return out.empty() ? std::string("Recording") : out;
}

std::string RecordingBaseName(std::string_view channel, const std::tm& localTime) {
    char stamp[80] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d-%02d", localTime.tm_year + 1900,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min);
    return RecordingChannelPart(channel) + " " + stamp;
}

ReservedFile ReserveRecordingFile(const std::filesystem::path& folder, const std::string& base,
                                  const std::string& extension) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made)
        return {{}, made.value()};
    constexpr int kMaxTries = 999;
    for (int n = 1; n <= kMaxTries; ++n) {
        const std::string name =
            n == 1 ? base + extension : base + " (" + std::to_string(n) + ")" + extension;
        const std::filesystem::path path = folder / name;
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            ::close(fd);
            return {path, 0};
        }
        if (errno != EEXIST)
            return {{}, errno};
    }
    return {{}, EEXIST};
}

}  // namespace quorvel
