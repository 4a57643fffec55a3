#include "registry/NameFold.h"
#include "files/Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <iterator>

namespace quorvel::reg {
namespace {

locale_t Utf8Locale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        return l ? l : newlocale(LC_CTYPE_MASK, "C", nullptr);
    }();
    return locale;
}

// Decodes one well-formed sequence at `pos`; returns its length, or 0 for a broken one.
std::size_t Decode(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    // An over-long form would fold like the short one and so name another key or value.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length])
        return 0;
    return length;
}

struct CaseEntry {
    char16_t from;
    char16_t to;
};
constexpr CaseEntry kUpcase[] = {
#include "registry/UpcaseTable.inc"
};

char32_t Upcase(char32_t cp) {
    if (cp > 0xFFFF)
        return cp;
    const auto it = std::lower_bound(
        std::begin(kUpcase), std::end(kUpcase), cp,
        [](const CaseEntry& entry, char32_t wanted) { return entry.from < wanted; });
    return (it != std::end(kUpcase) && it->from == cp) ? it->to : cp;
}

template <typename AsciiFold, typename WideFold>
std::string Fold(std::string_view utf8, AsciiFold ascii, WideFold wide) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char c = utf8[pos];
        if (static_cast<unsigned char>(c) < 0x80) {
            out.push_back(ascii(c));
            ++pos;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = Decode(utf8, pos, cp);
        if (length == 0) {
            out.push_back(c);
            ++pos;
            continue;
        }
        AppendUtf8(out, wide(cp));
        pos += length;
    }
    return out;
}

}  // namespace

std::string FoldName(std::string_view utf8) {
    return Fold(
        utf8, [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; },
        Upcase);
}

std::string LegacyFoldName(std::string_view utf8) {
    return Fold(
        utf8, [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; },
        [](char32_t cp) {
            return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), Utf8Locale()));
        });
}

std::size_t CountCharacters(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) {
        char32_t cp = 0;
        const std::size_t length = Decode(utf8, pos, cp);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace quorvel::reg
