#include "playback/XmlTagScanner.h"
#include "files/Utf8.h"

#include "files/TextCase.h"

#include <cstdint>

namespace quorvel {
namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Numeric reference body ("#65" or "#x41") to a code point, or nothing when malformed.
std::optional<std::uint32_t> ParseCharacterReference(std::string_view body) {
    if (body.size() < 2 || body.front() != '#')
        return std::nullopt;
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t code = 0;
    for (const char c : digits) {
        int value = -1;
        if (c >= '0' && c <= '9')
            value = c - '0';
        if (hex && c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        if (value < 0)
            return std::nullopt;
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
    }
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return code;
}

}  // namespace

std::optional<std::string> XmlTag::Attribute(std::string_view attributeName) const {
    for (const auto& [key, value] : attributes) {
        if (EqualsIgnoringCase(key, attributeName))
            return value;
    }
    return std::nullopt;
}

std::string DecodeXmlEntities(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // Only a short window is searched: a long run of "&" must not cost a scan each.
        std::size_t semicolon = std::string_view::npos;
        if (text[i] == '&') {
            if (const std::size_t at = text.substr(i, 13).find(';'); at != std::string_view::npos)
                semicolon = i + at;
        }
        if (semicolon == std::string_view::npos) {
            out += text[i++];
            continue;
        }
        const std::string_view body = text.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        for (const auto& [name, ch] : kNamed) {
            if (EqualsIgnoringCase(body, name)) {
                out += ch;
                decoded = true;
            }
        }
        if (!decoded) {
            if (const auto code = ParseCharacterReference(body)) {
                AppendUtf8(out, *code);
                decoded = true;
            }
        }
        if (decoded) {
            i = semicolon + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

void ForEachXmlTag(std::string_view bytes, const std::function<void(const XmlTag&)>& fn) {
    std::size_t pos = 0;
    const std::size_t size = bytes.size();
    while ((pos = bytes.find('<', pos)) != std::string_view::npos) {
        if (bytes.substr(pos, 4) == "<!--") {
            const std::size_t end = bytes.find("-->", pos + 4);
            if (end == std::string_view::npos)
                return;
            pos = end + 3;
            continue;
        }
        ++pos;
        const std::size_t nameStart = pos;
        while (pos < size && IsNameChar(bytes[pos]))
            ++pos;
        if (pos == nameStart)
            continue;  // end tag, declaration or stray "<"
        XmlTag tag;
        tag.name = bytes.substr(nameStart, pos - nameStart);
        while (pos < size && bytes[pos] != '>') {
            if (IsSpace(bytes[pos]) || bytes[pos] == '/') {
                ++pos;
                continue;
            }
            const std::size_t keyStart = pos;
            while (pos < size && IsNameChar(bytes[pos]))
                ++pos;
            if (pos == keyStart) {
                ++pos;  // stray character inside the tag
                continue;
            }
            const std::string_view key = bytes.substr(keyStart, pos - keyStart);
            while (pos < size && IsSpace(bytes[pos]))
                ++pos;
            if (pos >= size || bytes[pos] != '=') {
                tag.attributes.emplace_back(key, std::string());
                continue;
            }
            ++pos;
            while (pos < size && IsSpace(bytes[pos]))
                ++pos;
            std::string_view value;
            if (pos < size && (bytes[pos] == '"' || bytes[pos] == '\'')) {
                const char quote = bytes[pos++];
                const std::size_t end = bytes.find(quote, pos);
                if (end == std::string_view::npos)
                    return;  // cut off inside a value
                value = bytes.substr(pos, end - pos);
                pos = end + 1;
            } else {
                const std::size_t valueStart = pos;
                while (pos < size && !IsSpace(bytes[pos]) && bytes[pos] != '>')
                    ++pos;
                value = bytes.substr(valueStart, pos - valueStart);
                if (value.size() > 1 && value.back() == '/' && pos < size && bytes[pos] == '>') {
                    value.remove_suffix(1);
                }
            }
            tag.attributes.emplace_back(key, DecodeXmlEntities(value));
        }
        if (pos >= size)
            return;  // a tag cut off at the end is not used
        fn(tag);
        ++pos;
    }
}

}  // namespace quorvel
