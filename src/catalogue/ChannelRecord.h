#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

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

inline RecordFields SplitRecordFields(std::string_view line) {
    RecordFields fields;
    const char* p = line.data();
    const char* end = p + line.size();
    const void* bar = line.empty() ? nullptr : std::memchr(p, kFieldSeparator, line.size());
    if (!bar)
        return fields;
    for (;;) {
        const char* stop = bar ? static_cast<const char*>(bar) : end;
        fields.field[static_cast<std::size_t>(fields.count++)] =
            std::string_view(p, static_cast<std::size_t>(stop - p));
        if (!bar || fields.count == 4)
            break;
        p = stop + 1;
        bar = std::memchr(p, kFieldSeparator, static_cast<std::size_t>(end - p));
    }
    return fields;
}

// A field's Windows-1252 bytes as UTF-8 (plain ASCII, the usual case, is copied as it is).
std::string FieldToUtf8(std::string_view bytes);

}  // namespace quorvel
