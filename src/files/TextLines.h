#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Lines of a text file as Windows reads them: a line ends at CR LF or at a lone CR,
// never at a lone LF (that stays part of the line). Text after the last line end is
// one more line; an empty buffer has no lines.
template <typename Fn>
void ForEachLine(std::string_view bytes, Fn&& fn) {
    std::size_t start = 0;
    const std::size_t size = bytes.size();
    while (start < size) {
        const std::size_t cr = bytes.find('\r', start);
        if (cr == std::string_view::npos) {
            fn(bytes.substr(start));
            return;
        }
        fn(bytes.substr(start, cr - start));
        start = cr + 1;
        if (start < size && bytes[start] == '\n')
            ++start;
    }
}

std::vector<std::string_view> SplitLines(std::string_view bytes);

// The text after a UTF-8 byte order mark and the white space that leads it, as a playlist
// is recognised by its first word.
inline std::string_view SkipByteOrderMarkAndSpace(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                              bytes.front() == '\r' || bytes.front() == '\n')) {
        bytes.remove_prefix(1);
    }
    return bytes;
}

// Each line followed by CR LF, as every file of the program is written.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace quorvel
