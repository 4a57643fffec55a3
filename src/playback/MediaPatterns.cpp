#include "playback/MediaPatterns.h"

#include "files/TextCase.h"

namespace quorvel {
namespace {

constexpr std::string_view kPatternList =
    "*.asf;*.wma;*.wmv;*.wm;*.wax;*.wvx;*.wmx;*.wpl;*.dvr-ms;*.wmd;*.avi;*.mpg;*.mpeg;*.m1v;"
    "*.mp2;*.mp3;*.mpa;*.mpe;*.mpv2;*.m3u;*.mid;*.midi;*.rmi;*.aif;*.aifc;*.aiff;*.au;*.snd;"
    "*.wav;*.cda;*.ivf;*.mov;*.qt;"
    // What the recorder writes, and the formats of today's downloads and phones, so that the
    // list plays back the program's own recordings.
    "*.ts;*.mkv;*.mka;*.aac;*.mp4;*.m4a;*.m4v;*.webm;*.flac;*.ogg;*.oga;*.opus";

std::vector<std::string_view> SplitPatterns() {
    std::vector<std::string_view> patterns;
    std::string_view rest = kPatternList;
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        patterns.push_back(rest.substr(0, semicolon));
        if (semicolon == std::string_view::npos)
            break;
        rest.remove_prefix(semicolon + 1);
    }
    return patterns;
}

}  // namespace

const std::vector<std::string_view>& MediaFilePatterns() {
    static const std::vector<std::string_view> patterns = SplitPatterns();
    return patterns;
}

std::string_view MediaFilePatternList() {
    return kPatternList;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Iterative matcher with one backtrack point for the last "*": linear for the
    // patterns in use, never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || ToLowerAscii(pattern[p]) == ToLowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool IsMediaFileName(std::string_view name) {
    for (const auto pattern : MediaFilePatterns()) {
        if (MatchesWildcard(pattern, name))
            return true;
    }
    return false;
}

}  // namespace quorvel
