#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#include "files/Windows1252.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel {

#if defined(__SSE2__)
// The lanes that hold `from` as `to`, in the register: reading stored bytes back to swap
// them stalls on the stores just made.
inline __m128i SwapBytes(__m128i bytes, char from, char to) {
    const __m128i hits = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(from));
    return _mm_xor_si128(bytes, _mm_and_si128(hits, _mm_set1_epi8(static_cast<char>(from ^ to))));
}
#endif

// `bytes` written as UTF-8 at `out`, which has room for three bytes for each; returns the
// end. Each byte is first mapped to the Windows-1252 byte it stands for: map(unsigned char)
// one at a time, and with SSE2 map(__m128i) sixteen at a time. The two agree on every byte
// the sixteen-byte map leaves below 0x80; a byte it makes high is written as the one-byte
// map gives it. Inlined always, so that a converter's loop compiles with its map.
template <class Map>
[[gnu::always_inline]] inline char* WriteMappedAsUtf8(std::string_view bytes, char* out,
                                                      const Map& map) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
#if defined(__SSE2__)
    // Sixteen bytes a step, copied as they are up to the first high byte, which is converted
    // alone: a name with one accent costs little more than plain ASCII. The room for three
    // bytes each leaves room for any sixteen-byte store made while sixteen bytes are left.
    const auto load = [&](const char* at) {
        return map(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
    };
    while (end - p >= 16) {
        const __m128i chunk = load(p);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), chunk);
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
        if (high == 0) {
            p += 16;
            out += 16;
            continue;
        }
        const auto plain = static_cast<std::size_t>(std::countr_zero(high));
        p += plain;
        out = WriteWindows1252Character(map(static_cast<unsigned char>(*p++)), out + plain);
    }
    // A plain tail is stored with the plain bytes before it, which it writes again unchanged.
    if (p != end && bytes.size() >= 16) {
        const __m128i last = load(end - 16);
        if (_mm_movemask_epi8(last) == 0) {
            const auto rest = static_cast<std::size_t>(end - p);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + rest - 16), last);
            return out + rest;
        }
    }
#endif
    for (; p < end; ++p)
        out = WriteWindows1252Character(map(static_cast<unsigned char>(*p)), out);
    return out;
}

}  // namespace quorvel
