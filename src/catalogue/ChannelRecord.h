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

// Bit k set when byte k of the sixteen at p is `separator`.
inline unsigned SeparatorMask16(const char* p, char separator) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(separator))));
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k)
        mask |= static_cast<unsigned>(p[k] == separator) << k;
    return mask;
#endif
}

}  // namespace detail

// `separator` is "|" of a decoded line, or its scrambled form to split a line still encoded
// (the scramble keeps every byte in its place).
inline RecordFields SplitRecordFields(std::string_view line, char separator = kFieldSeparator) {
    RecordFields fields;
    const char* const begin = line.data();
    const std::size_t size = line.size();
    std::size_t fieldStart = 0;
    int count = 0;
    // Takes the separators marked in `found` (bit k: byte base + k), first to last; true once
    // the fourth is taken.
    const auto take = [&](std::uint64_t found, std::size_t base) {
        for (; found != 0; found &= found - 1) {
            const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(found));
            fields.field[static_cast<std::size_t>(count++)] =
                std::string_view(begin + fieldStart, at - fieldStart);
            fieldStart = at + 1;
            if (count == 4)
                return true;
        }
        return false;
    };
    const auto mask = [&](std::size_t at) -> std::uint64_t {
        return detail::SeparatorMask16(begin + at, separator);
    };
    // Fields are short: one mask of up to sixty-four bytes a step, then its bits in order,
    // costs less than a search per field.
    bool fourth = false;
    if (size >= 16) {
        std::size_t i = 0;
        for (; i + 64 <= size && !fourth; i += 64)
            fourth =
                take(mask(i) | mask(i + 16) << 16 | mask(i + 32) << 32 | mask(i + 48) << 48, i);
        if (!fourth && i < size) {
            // The rest, under sixty-four bytes; its last sixteen end with the line and may
            // overlap bytes seen already, whose bits are the same or shifted out.
            const std::size_t base = i;
            std::uint64_t found = 0;
            for (; i + 16 <= size; i += 16)
                found |= mask(i) << (i - base);
            if (i < size) {
                const std::size_t last = size - 16;
                found |= last >= base ? mask(last) << (last - base) : mask(last) >> (base - last);
            }
            fourth = take(found, base);
        }
    } else {
        std::uint64_t found = 0;
        for (std::size_t i = 0; i < size; ++i)
            found |= static_cast<std::uint64_t>(begin[i] == separator) << i;
        fourth = take(found, 0);
    }
    // The last field ends with the line; a line without separator is no record.
    if (!fourth && count > 0)
        fields.field[static_cast<std::size_t>(count++)] =
            std::string_view(begin + fieldStart, size - fieldStart);
    fields.count = count;
    return fields;
}

}  // namespace quorvel
