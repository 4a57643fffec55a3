#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvel {

inline constexpr char kFieldSeparator = '|';
inline constexpr char kLanguageSeparator = '/';

// The first four "|"-separated fields of a decoded catalogue line, as bytes of the line.
// `count` is 0 for a line without "|" (not a record), otherwise the number of fields it
// has, at most 4; fields after the fourth are ignored.
struct RecordFields {
    std::array<std::string_view, 4> field{};
    int count = 0;

    std::string_view Name() const { return field[0]; }
    std::string_view Url() const { return field[1]; }
    std::string_view Category() const { return field[2]; }
    std::string_view Type() const { return field[3]; }
};

namespace detail {

// Bit k set when byte k of the sixteen at p is a field separator.
inline unsigned SeparatorMask16(const char* p) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kFieldSeparator))));
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k)
        mask |= static_cast<unsigned>(p[k] == kFieldSeparator) << k;
    return mask;
#endif
}

}  // namespace detail

inline RecordFields SplitRecordFields(std::string_view line) {
    RecordFields fields;
    const char* const begin = line.data();
    const std::size_t size = line.size();
    std::size_t fieldStart = 0;
    const auto separatorAt = [&](std::size_t at) {
        fields.field[static_cast<std::size_t>(fields.count++)] =
            std::string_view(begin + fieldStart, at - fieldStart);
        fieldStart = at + 1;
        return fields.count == 4;
    };
    // One pass over the line, sixteen bytes at a time: fields are short, and a search per
    // field cost more than the search itself.
    // The separators among the sixteen bytes from `from`, those before `first` left out;
    // true once the fourth is found.
    const auto scan = [&](std::size_t from, std::size_t first) {
        unsigned found = detail::SeparatorMask16(begin + from) & (~0u << (first - from));
        for (; found != 0; found &= found - 1) {
            if (separatorAt(from + static_cast<std::size_t>(std::countr_zero(found))))
                return true;
        }
        return false;
    };
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        if (scan(i, i))
            return fields;
    }
    // The rest of a long line: its last sixteen bytes, the ones seen already left out.
    if (i < size && size >= 16) {
        if (scan(size - 16, i))
            return fields;
        i = size;
    }
    for (; i < size; ++i) {
        if (begin[i] == kFieldSeparator && separatorAt(i))
            return fields;
    }
    // The last field ends with the line; a line without separator is no record.
    if (fields.count > 0)
        separatorAt(size);
    return fields;
}

// Whether the bytes are plain ASCII, and so the same in Windows-1252 and UTF-8.
bool IsAsciiText(std::string_view bytes);

// A field's Windows-1252 bytes as UTF-8 (plain ASCII, the usual case, is copied as it is).
std::string FieldToUtf8(std::string_view bytes);
// The same, appended to `out`.
void AppendFieldUtf8(std::string& out, std::string_view bytes);

}  // namespace quorvel
