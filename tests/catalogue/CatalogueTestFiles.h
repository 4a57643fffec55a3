#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "TempDir.h"
#include "catalogue/LineCodec.h"
#include "files/Windows1252.h"

namespace quorvel::test {

// An encoded catalogue of the given plain UTF-8 lines, CR LF after each.
inline std::string EncodeCatalogue(std::initializer_list<std::string_view> lines) {
    std::string bytes;
    for (const auto line : lines)
        bytes.append(EncodeLine(Utf8ToWindows1252(line))).append("\r\n");
    return bytes;
}

inline std::filesystem::path WriteCatalogue(const TempDir& dir,
                                            std::initializer_list<std::string_view> lines) {
    return dir.Write("Data.txt", EncodeCatalogue(lines));
}

}  // namespace quorvel::test
