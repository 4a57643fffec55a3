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
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
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
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace quorvel::reg
