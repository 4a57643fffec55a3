#include "TestMedia.h"

#include "DieWithTest.h"
#include "TempDir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

namespace quorvel::test {
namespace {

bool RunFfmpeg(std::vector<std::string> args) {
    args.insert(args.begin(), {"ffmpeg", "-nostdin", "-v", "error", "-y"});
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t test = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        DieWithTest(test);
        ::execvp("ffmpeg", argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::filesystem::path Make(const TempDir& dir, MediaKind kind) {
    const std::string tone = "sine=frequency=440:duration=3";
    const std::string picture = "testsrc=size=160x120:rate=25:duration=3";
    std::vector<std::string> args;
    std::string name;
    switch (kind) {
        case MediaKind::Wav:
            name = "tone.wav";
            args = {"-f", "lavfi", "-i", tone, "-c:a", "pcm_s16le"};
            break;
        case MediaKind::Mp3:
            name = "tone.mp3";
            args = {"-f", "lavfi", "-i", tone, "-c:a", "libmp3lame", "-b:a", "64k"};
            break;
        case MediaKind::Mp3Frames:
            name = "frames.mp3";
            args = {"-f",   "lavfi", "-i",          tone, "-c:a",           "libmp3lame",
                    "-b:a", "64k",   "-write_xing", "0",  "-id3v2_version", "0",
                    "-f",   "mp3"};
            break;
        case MediaKind::Wma:
            name = "tone.wma";
            args = {"-f", "lavfi", "-i", tone, "-c:a", "wmav2", "-b:a", "64k"};
            break;
        case MediaKind::Wmv:
            name = "picture.wmv";
            args = {"-f", "lavfi", "-i",   picture, "-f",    "lavfi",    "-i",
                    tone, "-c:v",  "wmv2", "-c:a",  "wmav2", "-shortest"};
            break;
        case MediaKind::Mp4:
            name = "picture.mp4";
            args = {"-f",   "lavfi", "-i",   picture, "-f",        "lavfi",      "-i",       tone,
                    "-c:v", "mpeg4", "-c:a", "aac",   "-movflags", "+faststart", "-shortest"};
            break;
    }
    const auto path = dir / name;
    args.push_back(path.string());
    return RunFfmpeg(args) ? path : std::filesystem::path();
}

}  // namespace

const std::filesystem::path& TestMediaFile(MediaKind kind) {
    static std::mutex mutex;
    static std::unique_ptr<TempDir> dir;
    static std::map<MediaKind, std::filesystem::path> made;
    std::lock_guard lock(mutex);
    if (!dir)
        dir = std::make_unique<TempDir>();
    auto it = made.find(kind);
    if (it == made.end())
        it = made.emplace(kind, Make(*dir, kind)).first;
    return it->second;
}

std::vector<std::string> MakeHlsStream(const std::filesystem::path& folder) {
    const auto index = folder / "index.m3u8";
    if (!RunFfmpeg({"-f",        "lavfi",
                    "-i",        "testsrc=size=160x120:rate=25:duration=3",
                    "-f",        "lavfi",
                    "-i",        "sine=frequency=440:duration=3",
                    "-c:v",      "mpeg2video",
                    "-c:a",      "mp2",
                    "-shortest", "-f",
                    "hls",       "-hls_time",
                    "1",         "-hls_list_size",
                    "0",         "-hls_playlist_type",
                    "vod",       index.string()})) {
        return {};
    }
    std::vector<std::string> names{"index.m3u8"};
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".ts")
            names.push_back(entry.path().filename().string());
    }
    return names;
}

std::string TestMediaBytes(MediaKind kind) {
    std::ifstream in(TestMediaFile(kind), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace quorvel::test
