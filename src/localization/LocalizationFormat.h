#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The tag-searched text format of "Localization.xml" and "Localization.txt". Nothing here
// parses XML: readers look for tag strings without regard to letter case, so any text at all
// can be read without failing, in time linear in its length.

inline constexpr std::string_view kItemsOpenTag = "<TRANSLATION_ITEMS>";

// Files larger than this are not read: they may come from a download.
inline constexpr std::size_t kMaxLocalizationFileBytes = 16 * 1024 * 1024;

struct LanguageGroup {
    // From "<LANGUAGE_GROUP" up to the character before "</LANGUAGE_GROUP>" (or the end of
    // the text when the group is never closed).
    std::string_view text;
    // Unset when the group lacks its name tags; the name is taken as it stands, blanks kept.
    std::optional<std::string_view> name;
    // The text between the item tags; unset when the group lacks them.
    std::optional<std::string_view> items;
};

// Visits the language groups in file order. A group that is never closed runs to the end of
// the text and ends the walk. Returning false from `visit` stops the walk.
template <typename Visit>
void WalkLanguageGroups(std::string_view text, Visit&& visit);

// The language tag of a group's opening tag (xml:lang="de", "pt-BR"), or empty when the tag
// is missing or holds anything but letters, digits, "-" and "_".
std::string GroupLanguageTag(std::string_view groupText);

// Splits an items block at each CR LF, as the store keeps it; an empty block has no lines.
std::vector<std::string> SplitItemsBlock(std::string_view items);

struct ItemLine {
    std::string_view key;
    // Unset when the line's opening or closing tag for its key is missing.
    std::optional<std::string_view> text;
};

// Reads one item line; unset for lines that hold no item (empty, or too short a key part).
// `upperLine` is the same line upper-cased (ASCII), so the tag search needs no folding.
std::optional<ItemLine> ReadItemLine(std::string_view line, std::string_view upperLine);

// True when a text counts as a localization file: it holds "<TRANSLATION_ITEMS>" in any case.
bool IsLocalizationText(std::string_view text);

// --- Writing ---

// Lines 1 to 9 of a generated file (declaration to "<TRANSLATION_ITEMS>"), CR LF after each.
std::string LocalizationFileHead();
// "</TRANSLATION_ITEMS>", "</LANGUAGE_GROUP>", "</XML_DIZ_INFO>", CR LF after each.
std::string LocalizationFileTail();
// Two TABs, "<" key ">" text "</" key ">", CR LF.
void AppendItemLine(std::string& out, std::string_view key, std::string_view text);

// --- Encodings ---

// "Localization.xml" as text: UTF-8 with a leading byte-order mark dropped and any malformed
// sequence replaced by U+FFFD, so what reaches the windows is always valid UTF-8.
std::string DecodeLocalizationXml(std::string_view bytes);

// "Localization.txt" read line by line (CR LF or a lone CR end a line) and joined with CR LF
// after each line. The bytes are Windows-1252, unless they are valid UTF-8 that holds
// multi-byte characters: a file saved as its own declaration says is read as such.
std::string ReadLocalizationTxtText(std::string_view bytes);

// The first character upper-cased: ASCII and the Latin-1 letters; anything else unchanged.
void UpperFirstCharacter(std::string& text);

// Position of `upperNeedle` in `upperHaystack`, both already folded; linear time.
std::size_t FindFolded(std::string_view upperHaystack, std::string_view upperNeedle,
                       std::size_t from = 0);

// --- Template definition ---

namespace localization_detail {
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from);
std::optional<std::string_view> Between(std::string_view text, std::string_view open,
                                        std::string_view close);
}  // namespace localization_detail

template <typename Visit>
void WalkLanguageGroups(std::string_view text, Visit&& visit) {
    using localization_detail::Between;
    using localization_detail::FindTag;
    constexpr std::string_view kOpen = "<LANGUAGE_GROUP";
    constexpr std::string_view kClose = "</LANGUAGE_GROUP>";
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = FindTag(text, kOpen, pos);
        if (open == std::string_view::npos)
            return;
        // A stray closing tag before the group's opening one closes nothing.
        const std::size_t close = FindTag(text, kClose, open);
        LanguageGroup group;
        group.text = text.substr(
            open, close == std::string_view::npos ? std::string_view::npos : close - open);
        group.name = Between(group.text, "<LANGUAGE_NAME>", "</LANGUAGE_NAME>");
        group.items = Between(group.text, kItemsOpenTag, "</TRANSLATION_ITEMS>");
        if (!visit(group) || close == std::string_view::npos)
            return;
        pos = close + kClose.size();
    }
}

}  // namespace quorvel
