#include "catalogue/ChannelRecord.h"

#include "files/Windows1252.h"

#include <cstdint>
#include <cstring>

namespace quorvel {

bool IsAsciiText(std::string_view bytes) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        seen |= word;
    }
    if (i < n && n >= 8) {
        // The last eight bytes, some seen already: one step instead of up to seven.
        std::uint64_t word;
        std::memcpy(&word, p + n - 8, 8);
        seen |= word;
        i = n;
    }
    for (; i < n; ++i)
        seen |= static_cast<unsigned char>(p[i]);
    return (seen & 0x8080808080808080ull) == 0;
}

std::string FieldToUtf8(std::string_view bytes) {
    return IsAsciiText(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

void AppendFieldUtf8(std::string& out, std::string_view bytes) {
    if (IsAsciiText(bytes))
        out.append(bytes);
    else
        out.append(Windows1252ToUtf8(bytes));
}

}  // namespace quorvel
