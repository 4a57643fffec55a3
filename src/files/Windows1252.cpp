#include "files/Windows1252.h"

#include "files/Windows1252Writer.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel {
namespace {

using detail::kWindows1252HighControls;

// The byte that stands for `code`, or '?' when the code page has none.
char ByteFor(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t i = 0; i < kWindows1252HighControls.size(); ++i) {
        if (kWindows1252HighControls[i] == code)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Length of the UTF-8 sequence that starts with `lead`, or 1 for a stray byte.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

}  // namespace

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

char* WriteWindows1252AsUtf8(std::string_view bytes, char* out, char from, char to) {
    struct Swap {
        char from;
        char to;
        unsigned char operator()(unsigned char byte) const {
            return byte == static_cast<unsigned char>(from) ? static_cast<unsigned char>(to) : byte;
        }
#if defined(__SSE2__)
        __m128i operator()(__m128i chunk) const {
            return SwapBytes(chunk, from, to);
        }
#endif
    };
    return WriteMappedAsUtf8(bytes, out, Swap{from, to});
}

void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes) {
    if (IsAsciiText(bytes)) {  // the usual case: the same bytes
        out.append(bytes);
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + 3 * bytes.size());
    char* const end = WriteWindows1252AsUtf8(bytes, out.data() + at);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    AppendWindows1252AsUtf8(out, bytes);
    return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    if (IsAsciiText(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += utf8[i++];
            continue;
        }
        // A broken sequence is one "?" as a whole, but never takes a byte that starts the
        // next one.
        const std::size_t expected = Utf8SequenceLength(lead);
        std::size_t length = 1;
        char32_t code = lead & (0x7F >> expected);
        while (length < expected && i + length < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + length]) & 0xC0) == 0x80) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + length]) & 0x3F);
            ++length;
        }
        const bool whole = expected > 1 && length == expected;
        const bool overlong = (expected == 3 && code < 0x800) || (expected == 4 && code < 0x10000);
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        out += whole && !overlong && !surrogate && code <= 0x10FFFF ? ByteFor(code) : '?';
        i += length;
    }
    return out;
}

unsigned char FoldCase1252(unsigned char byte) {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(i);
        for (int c = 'A'; c <= 'Z'; ++c)
            t[c] = static_cast<unsigned char>(c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c != 0xD7)
                t[c] = static_cast<unsigned char>(c + 32);  // not the multiplication sign
        }
        t[0x8A] = 0x9A;  // Š
        t[0x8C] = 0x9C;  // Œ
        t[0x8E] = 0x9E;  // Ž
        t[0x9F] = 0xFF;  // Ÿ
        return t;
    }();
    return table[byte];
}

}  // namespace quorvel
