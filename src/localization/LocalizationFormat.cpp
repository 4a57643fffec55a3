#include "localization/LocalizationFormat.h"

#include "files/TextCase.h"
#include "files/TextLines.h"
#include "files/Utf8.h"
#include "files/Windows1252.h"

#include <cstring>

namespace quorvel {
namespace localization_detail {

// Every tag starts with "<", so the scan hops from one "<" to the next.
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from) {
    while (from < text.size()) {
        const std::size_t lt = text.find('<', from);
        if (lt == std::string_view::npos || text.size() - lt < tag.size())
            return std::string_view::npos;
        if (EqualsIgnoringCase(text.substr(lt, tag.size()), tag))
            return lt;
        from = lt + 1;
    }
    return std::string_view::npos;
}

std::optional<std::string_view> Between(std::string_view text, std::string_view open,
                                        std::string_view close) {
    const std::size_t start = FindTag(text, open, 0);
    if (start == std::string_view::npos)
        return std::nullopt;
    const std::size_t from = start + open.size();
    const std::size_t end = FindTag(text, close, from);
    if (end == std::string_view::npos)
        return std::nullopt;
    return text.substr(from, end - from);
}

}  // namespace localization_detail

std::size_t FindFolded(std::string_view upperHaystack, std::string_view upperNeedle,
                       std::size_t from) {
    if (from > upperHaystack.size())
        return std::string_view::npos;
    if (upperNeedle.empty())
        return from;
    // glibc's memmem is linear in the worst case, where string_view::find is not.
    const void* hit = ::memmem(upperHaystack.data() + from, upperHaystack.size() - from,
                               upperNeedle.data(), upperNeedle.size());
    if (hit == nullptr)
        return std::string_view::npos;
    return std::size_t(static_cast<const char*>(hit) - upperHaystack.data());
}

std::string GroupLanguageTag(std::string_view groupText) {
    constexpr std::string_view kAttribute = "XML:LANG=";
    constexpr std::size_t kMaxTagChars = 35;
    const std::string_view openTag = groupText.substr(0, groupText.find('>'));
    const std::size_t at = ToUpperAscii(openTag).find(kAttribute);
    if (at == std::string_view::npos || at + kAttribute.size() >= openTag.size())
        return {};
    std::string_view rest = openTag.substr(at + kAttribute.size());
    const char quote = rest.front();
    if (quote != '"' && quote != '\'')
        return {};
    rest.remove_prefix(1);
    const std::size_t end = rest.find(quote);
    if (end == std::string_view::npos || end == 0 || end > kMaxTagChars)
        return {};
    const std::string_view tag = rest.substr(0, end);
    for (const char c : tag) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!allowed)
            return {};
    }
    return std::string(tag);
}

std::vector<std::string> SplitItemsBlock(std::string_view items) {
    std::vector<std::string> lines;
    // An empty block holds no line at all, not one empty line.
    if (items.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = items.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(items.substr(start));
            return lines;
        }
        lines.emplace_back(items.substr(start, end - start));
        start = end + 2;
    }
}

std::optional<ItemLine> ReadItemLine(std::string_view line, std::string_view upperLine) {
    if (line.empty())
        return std::nullopt;
    const std::string_view head = line.substr(0, line.find('>'));
    if (head.size() <= 2)
        return std::nullopt;
    const std::size_t lt = head.find('<');
    ItemLine item;
    item.key = lt == std::string_view::npos ? head : head.substr(lt + 1);

    const std::string_view upperKey =
        upperLine.substr(item.key.data() - line.data(), item.key.size());
    std::string tag;
    tag.reserve(upperKey.size() + 3);
    tag.append("<").append(upperKey).append(">");
    const std::size_t open = FindFolded(upperLine, tag);
    if (open == std::string_view::npos)
        return item;
    const std::size_t from = open + tag.size();
    tag.assign("</").append(upperKey).append(">");
    const std::size_t close = FindFolded(upperLine, tag, from);
    if (close != std::string_view::npos)
        item.text = line.substr(from, close - from);
    return item;
}

bool IsLocalizationText(std::string_view text) {
    return localization_detail::FindTag(text, kItemsOpenTag, 0) != std::string_view::npos;
}

std::string LocalizationFileHead() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<XML_DIZ_INFO>\r\n"
           "\t<LOCALIZATION_FILE_INFO>\r\n"
           "\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n"
           "\t</LOCALIZATION_FILE_INFO>\r\n"
           "<LANGUAGE_GROUP xml:lang=\"en\">\r\n"
           "\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
           "\t<DESCRIPTION>This file contains various translations of program buttons, "
           "messages and menus in XML format.  The original document was created using "
           "translation software, and may sound strange when read by people.  We invite you to "
           "make modifications to existing languages and translate new languages.  Please send "
           "them to us so that we can update this file and make your translation available to "
           "all users.  Our current email address is located on our homepage which can be "
           "visited through the software or our program folder on your Start Menu.  Before "
           "making changes to a localization file please use the program to download the most "
           "recent localization file using the 'Check for Language Updates' button in the "
           "Languages window.</DESCRIPTION>\r\n"
           "\t<TRANSLATION_ITEMS>\r\n";
}

std::string LocalizationFileTail() {
    return "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n";
}

void AppendItemLine(std::string& out, std::string_view key, std::string_view text) {
    out.append("\t\t<").append(key).append(">").append(text);
    out.append("</").append(key).append(">\r\n");
}

std::string DecodeLocalizationXml(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = ValidUtf8Length(bytes, i);
        if (len == 0) {
            out.append("\xEF\xBF\xBD");
            ++i;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

std::string ReadLocalizationTxtText(std::string_view bytes) {
    std::string joined;
    joined.reserve(bytes.size() + 2);
    ForEachLine(bytes, [&](std::string_view line) { joined.append(line).append("\r\n"); });

    bool multiByte = false;
    for (std::size_t i = 0; i < joined.size();) {
        const std::size_t len = ValidUtf8Length(joined, i);
        if (len == 0)
            return Windows1252ToUtf8(joined);
        multiByte = multiByte || len > 1;
        i += len;
    }
    return multiByte ? joined : Windows1252ToUtf8(joined);
}

void UpperFirstCharacter(std::string& text) {
    if (text.empty())
        return;
    const auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80) {
        text[0] = ToUpperAscii(text[0]);
        return;
    }
    // U+00E0..U+00FE (but U+00F7, the division sign) have their capitals 0x20 below.
    if (c == 0xC3 && text.size() > 1) {
        const auto d = static_cast<unsigned char>(text[1]);
        if (d >= 0xA0 && d <= 0xBE && d != 0xB7)
            text[1] = char(d - 0x20);
    }
}

}  // namespace quorvel
