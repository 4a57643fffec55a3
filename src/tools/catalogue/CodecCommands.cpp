#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>

#include "CommandLine.h"
#include "Commands.h"
#include "catalogue/LineCodec.h"
#include "files/FileIo.h"
#include "files/TextLines.h"
#include "files/Windows1252.h"

namespace quorvel::tool {
namespace {

constexpr const char* kDecodeHelp =
    "Usage: quorvel-catalogue decode FILE\n"
    "Writes every line of the encoded catalogue FILE decoded, as UTF-8 with LF line ends.\n"
    "Blank lines are kept.\n";

constexpr const char* kEncodeHelp =
    "Usage: quorvel-catalogue encode [FILE]\n"
    "Reads plain UTF-8 lines (LF or CR LF) from FILE, or from standard input, and writes\n"
    "them as an encoded Windows-1252 catalogue with CR LF line ends to standard output.\n"
    "Characters Windows-1252 cannot hold are written as \"?\". Lines holding a character\n"
    "that the catalogue cannot store (\xC3\x8C, \xC3\xBF) are refused: nothing is written\n"
    "and the exit status is 1.\n";

// Plain characters whose encoded form ends a line (204 -> CR) or that do not survive the
// round trip (255 comes back as 0). 201 encodes to a lone LF, which ends no line.
bool Storable(unsigned char plain) {
    return plain != 204 && plain != 255;
}

// Far past any catalogue or page; a larger file is not one.
constexpr std::size_t kMaxInputBytes = std::size_t{1} << 30;

std::string ReadStdin() {
    std::ostringstream in;
    in << std::cin.rdbuf();
    return in.str();
}

}  // namespace

std::string ReadInputFile(const std::string& path) {
    std::string bytes;
    std::string error;
    if (ReadFileAtMost(path, kMaxInputBytes, bytes, error) != FileReadStatus::Read)
        throw UsageError(error);
    return bytes;
}

int RunDecode(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kDecodeHelp) ? 0 : 1;
    line.ExpectPositionals(1, 1);
    std::string bytes = ReadInputFile(line.Positionals()[0]);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    ForEachLine(bytes, [&](std::string_view encoded) {
        out.append(Windows1252ToUtf8(DecodeLine(encoded))).push_back('\n');
    });
    return WriteStdout(out) ? 0 : 1;
}

int RunEncode(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kEncodeHelp) ? 0 : 1;
    line.ExpectPositionals(0, 1);
    const std::string text =
        line.Positionals().empty() ? ReadStdin() : ReadInputFile(line.Positionals()[0]);

    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool refused = false;
    ForEachInputLine(text, [&](std::size_t lineNumber, std::string_view utf8) {
        std::string plain = Utf8ToWindows1252(utf8);
        for (const char c : plain) {
            if (!Storable(static_cast<unsigned char>(c))) {
                std::fprintf(stderr,
                             "quorvel-catalogue encode: line %zu: the character %s cannot be "
                             "stored in a catalogue\n",
                             lineNumber, Windows1252ToUtf8(std::string(1, c)).c_str());
                refused = true;
                break;
            }
        }
        EncodeLineInPlace(plain);
        out.append(plain).append("\r\n");
        return true;
    });
    if (refused)
        return 1;
    return WriteStdout(out) ? 0 : 1;
}

}  // namespace quorvel::tool
