#include "catalogue/ChannelRecord.h"

#include "files/Windows1252.h"

namespace quorvel {

bool IsAsciiText(std::string_view bytes) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
#if defined(__SSE2__)
    // Sixteen bytes a step; the last sixteen may overlap bytes seen already.
    if (n >= 16) {
        __m128i seen = _mm_setzero_si128();
        for (std::size_t i = 0; i + 16 <= n; i += 16)
            seen = _mm_or_si128(seen, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        seen = _mm_or_si128(seen, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16)));
        return _mm_movemask_epi8(seen) == 0;
    }
#endif
    unsigned char seen = 0;
    for (std::size_t i = 0; i < n; ++i)
        seen |= static_cast<unsigned char>(p[i]);
    return seen < 0x80;
}

std::string FieldToUtf8(std::string_view bytes) {
    return IsAsciiText(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

void AppendFieldUtf8(std::string& out, std::string_view bytes) {
    if (IsAsciiText(bytes))
        out.append(bytes);
    else
        AppendWindows1252AsUtf8(out, bytes);
}

}  // namespace quorvel
