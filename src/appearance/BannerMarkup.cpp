#include "appearance/BannerMarkup.h"
#include "files/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel {
namespace {

constexpr std::size_t kMaxHrefBytes = 2048;
constexpr int kMaxBreaks = 2;  // in a row: a gap, never a blank strip

// The elements the banner keeps.
enum class Inline { A, B, Strong, I, Em, U };
constexpr std::string_view kInlineNames[] = {"a", "b", "strong", "i", "em", "u"};

// Elements that begin or end a line of their own; a table's cells too.
constexpr std::string_view kBlockNames[] = {
    "p",      "div",    "br",    "h1",    "h2",      "h3",     "h4",      "h5",
    "h6",     "li",     "ul",    "ol",    "dl",      "dt",     "dd",      "tr",
    "td",     "th",     "table", "hr",    "pre",     "center", "section", "blockquote",
    "header", "footer", "nav",   "aside", "article", "form",   "address"};

// Elements whose contents are not text to show.
constexpr std::string_view kHiddenNames[] = {"script", "style", "title", "template"};

struct Entity {
    std::string_view name;
    char32_t code;
};
constexpr std::array<Entity, 20> kEntities = {
    {{"amp", U'&'},     {"lt", U'<'},      {"gt", U'>'},    {"quot", U'"'},    {"apos", U'\''},
     {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},   {"trade", 0x2122}, {"hellip", 0x2026},
     {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xAB}, {"raquo", 0xBB},   {"middot", 0xB7},
     {"bull", 0x2022},  {"euro", 0x20AC},  {"pound", 0xA3}, {"deg", 0xB0},     {"times", 0xD7}}};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsLower(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && std::equal(text.begin(), text.end(), lower.begin(),
                                                     [](char a, char b) { return Lower(a) == b; });
}

template <std::size_t N>
std::optional<std::size_t> IndexOf(const std::string_view (&names)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (EqualsLower(name, names[i]))
            return i;
    }
    return std::nullopt;
}

// The character an entity at `at` (its '&') stands for, and how long the entity is. Only
// entities closed by ';' count; anything else is a plain '&'.
std::optional<std::pair<char32_t, std::size_t>> ReadEntity(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;
        const std::size_t digitsAt = i;
        std::uint32_t code = 0;
        while (i < text.size() && i - digitsAt < 7) {
            const char c = Lower(text[i]);
            int digit = -1;
            if (IsDigit(c))
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            if (digit < 0)
                break;
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            ++i;
        }
        if (i == digitsAt || i >= text.size() || text[i] != ';')
            return std::nullopt;
        // Nothing that is no character, and no control characters but the white space.
        const bool bad = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
                         (code < 0x20 && !IsSpace(static_cast<char>(code))) ||
                         (code >= 0x7F && code < 0xA0);
        return std::pair{bad ? char32_t{0xFFFD} : static_cast<char32_t>(code), i + 1 - at};
    }
    const std::size_t nameAt = i;
    while (i < text.size() && i - nameAt < 8 && IsAlpha(text[i]))
        ++i;
    if (i >= text.size() || text[i] != ';')
        return std::nullopt;
    const std::string_view name = text.substr(nameAt, i - nameAt);
    for (const Entity& entity : kEntities) {
        if (name == entity.name)
            return std::pair{entity.code, i + 1 - at};
    }
    return std::nullopt;
}

// Appends one character of text, escaped as the markup needs it.
void AppendEscaped(std::string& out, char32_t code) {
    switch (code) {
        case U'&':
            out += "&amp;";
            break;
        case U'<':
            out += "&lt;";
            break;
        case U'>':
            out += "&gt;";
            break;
        case U'"':
            out += "&quot;";
            break;
        default:
            AppendUtf8(out, code);
    }
}

// The value of an attribute with its entities read, or nothing when it is too long to keep.
std::optional<std::string> AttributeValue(std::string_view raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size() && value.size() <= kMaxHrefBytes;) {
        if (raw[i] == '&') {
            if (const auto entity = ReadEntity(raw, i)) {
                AppendUtf8(value, entity->first);
                i += entity->second;
                continue;
            }
        }
        value += raw[i++];
    }
    if (value.size() > kMaxHrefBytes)
        return std::nullopt;
    return value;
}

// A link target the banner may keep: an http or https address with nothing in it that ends
// or breaks the address.
std::optional<std::string> LinkTarget(std::string_view raw) {
    std::optional<std::string> value = AttributeValue(raw);
    if (!value)
        return std::nullopt;
    std::string& href = *value;
    const auto first = href.find_first_not_of(" \t\n\r\f");
    const auto last = href.find_last_not_of(" \t\n\r\f");
    if (first == std::string::npos)
        return std::nullopt;
    href = href.substr(first, last - first + 1);
    const std::string_view view(href);
    const bool web = (view.size() > 7 && EqualsLower(view.substr(0, 7), "http://")) ||
                     (view.size() > 8 && EqualsLower(view.substr(0, 8), "https://"));
    const bool clean = std::none_of(href.begin(), href.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
    });
    if (!web || !clean)
        return std::nullopt;
    // The scheme in one case, so the target reads the same wherever it is checked again.
    for (std::size_t i = 0; href[i] != ':'; ++i)
        href[i] = Lower(href[i]);
    std::string escaped;
    for (const char c : href) {
        if (c == '&' || c == '<' || c == '>' || c == '"')
            AppendEscaped(escaped, static_cast<char32_t>(c));
        else
            escaped += c;  // the bytes of a UTF-8 character stay as they are
    }
    return escaped;
}

// The markup being made: it keeps room for the end tags of what is open, so cutting it off
// anywhere still leaves whole markup.
class Writer {
public:
    bool Full() const { return m_full; }

    // One character of text (already decoded). Only ASCII white space leaves a break pending.
    void Text(char32_t code) {
        std::string piece;
        AppendEscaped(piece, code);
        if (!Fits(piece.size()))
            return;
        m_out += piece;
        if (!(code < 0x80 && IsSpace(static_cast<char>(code)))) {
            m_shownText = true;
            m_breaks = 0;
        }
    }

    // A run of bytes of one UTF-8 character (or a stray byte) as it came.
    void RawText(std::string_view bytes) {
        if (!Fits(bytes.size()))
            return;
        m_out += bytes;
        m_shownText = true;
        m_breaks = 0;
    }

    void Break() {
        // None before the first text, and at most a gap between texts.
        if (!m_shownText || m_breaks >= kMaxBreaks || !Fits(4))
            return;
        m_out += "<br>";
        ++m_breaks;
    }

    void Open(Inline element, const std::string& href) {
        if (m_open.size() >= static_cast<std::size_t>(kBannerNesting))
            return;
        if (element == Inline::A &&
            (href.empty() || std::find(m_open.begin(), m_open.end(), Inline::A) != m_open.end()))
            return;  // a link needs a target and never holds another
        const std::string_view name = NameOf(element);
        std::string tag =
            element == Inline::A ? "<a href=\"" + href + "\">" : "<" + std::string(name) + ">";
        // The end tag's room is kept from here on.
        if (!Fits(tag.size() + name.size() + 3))
            return;
        m_out += tag;
        m_open.push_back(element);
        m_closing += name.size() + 3;
    }

    void Close(Inline element) {
        const auto it = std::find(m_open.rbegin(), m_open.rend(), element);
        if (it == m_open.rend())
            return;
        const std::size_t keep = static_cast<std::size_t>(m_open.rend() - it) - 1;
        while (m_open.size() > keep)
            CloseLast();
    }

    std::string Finish() {
        while (!m_open.empty())
            CloseLast();
        return std::move(m_out);
    }

private:
    static std::string_view NameOf(Inline element) {
        return kInlineNames[static_cast<std::size_t>(element)];
    }

    bool Fits(std::size_t bytes) {
        if (!m_full && m_out.size() + bytes + m_closing <= kBannerMarkupBytes)
            return true;
        m_full = true;  // the rest of the page is cut off
        return false;
    }

    void CloseLast() {
        const std::string_view name = NameOf(m_open.back());
        m_out += "</";
        m_out += name;
        m_out += '>';
        m_closing -= name.size() + 3;
        m_open.pop_back();
    }

    std::string m_out;
    std::vector<Inline> m_open;
    std::size_t m_closing = 0;  // bytes of the end tags of m_open
    bool m_full = false;
    bool m_shownText = false;
    int m_breaks = 0;
};

// Reads a page once, front to back; a construct the page never ends ends the page.
class PageReader {
public:
    explicit PageReader(std::string_view page) : m_page(page) {}

    std::string Read() {
        while (m_at < m_page.size() && !m_writer.Full()) {
            const char c = m_page[m_at];
            if (c == '<')
                Markup();
            else if (c == '&')
                Ampersand();
            else
                Character();
        }
        return m_writer.Finish();
    }

private:
    void Character() {
        const auto byte = static_cast<unsigned char>(m_page[m_at]);
        if (byte < 0x80) {
            ++m_at;
            // Control characters other than white space show as nothing.
            if (IsSpace(static_cast<char>(byte)) || (byte >= 0x20 && byte != 0x7F))
                m_writer.Text(byte);
            return;
        }
        // A UTF-8 character goes through whole, so a cut never splits one.
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        std::size_t end = m_at + 1;
        while (end < m_page.size() && end - m_at < length &&
               (static_cast<unsigned char>(m_page[end]) & 0xC0) == 0x80)
            ++end;
        m_writer.RawText(m_page.substr(m_at, end - m_at));
        m_at = end;
    }

    void Ampersand() {
        if (const auto entity = ReadEntity(m_page, m_at)) {
            m_writer.Text(entity->first);
            m_at += entity->second;
        } else {
            m_writer.Text(U'&');
            ++m_at;
        }
    }

    void Markup() {
        const std::string_view rest = m_page.substr(m_at);
        if (rest.substr(0, 4) == "<!--")
            return SkipPast("-->", m_at + 4);
        if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?'))
            return SkipPast(">", m_at + 2);
        if (rest.size() > 2 && rest[1] == '/' && IsAlpha(rest[2]))
            return EndTag();
        if (rest.size() > 1 && IsAlpha(rest[1]))
            return StartTag();
        m_writer.Text(U'<');
        ++m_at;
    }

    // Moves past the next `end` from `from`, or to the end of the page.
    void SkipPast(std::string_view end, std::size_t from) {
        const std::size_t found = m_page.find(end, from);
        m_at = found == std::string_view::npos ? m_page.size() : found + end.size();
    }

    std::string_view TagName() {
        const std::size_t start = m_at;
        while (m_at < m_page.size() && !IsSpace(m_page[m_at]) && m_page[m_at] != '/' &&
               m_page[m_at] != '>')
            ++m_at;
        return m_page.substr(start, m_at - start);
    }

    void EndTag() {
        m_at += 2;
        const std::string_view name = TagName();
        SkipPast(">", m_at);
        if (const auto element = IndexOf(kInlineNames, name))
            m_writer.Close(static_cast<Inline>(*element));
        else if (IndexOf(kBlockNames, name))
            m_writer.Break();
    }

    void StartTag() {
        m_at += 1;
        const std::string_view name = TagName();
        const auto element = IndexOf(kInlineNames, name);
        const bool link = element && static_cast<Inline>(*element) == Inline::A;
        std::string href;
        if (!Attributes(link ? &href : nullptr))
            return;  // the page ended inside the tag
        if (element) {
            m_writer.Open(static_cast<Inline>(*element), href);
        } else if (IndexOf(kBlockNames, name)) {
            m_writer.Break();
        } else if (IndexOf(kHiddenNames, name)) {
            SkipHiddenContents(name);
        }
    }

    // Reads the attributes up to the tag's end; keeps a link's target in `href`. False when
    // the page ends first.
    bool Attributes(std::string* href) {
        const auto stop = [](char c) { return IsSpace(c) || c == '/' || c == '>' || c == '='; };
        while (true) {
            while (m_at < m_page.size() && (IsSpace(m_page[m_at]) || m_page[m_at] == '/'))
                ++m_at;
            if (m_at >= m_page.size()) {
                return false;
            }
            if (m_page[m_at] == '>') {
                ++m_at;
                return true;
            }
            const std::size_t nameAt = m_at;
            do {
                ++m_at;
            } while (m_at < m_page.size() && !stop(m_page[m_at]));
            const std::string_view name = m_page.substr(nameAt, m_at - nameAt);
            while (m_at < m_page.size() && IsSpace(m_page[m_at]))
                ++m_at;
            if (m_at >= m_page.size() || m_page[m_at] != '=')
                continue;
            ++m_at;
            while (m_at < m_page.size() && IsSpace(m_page[m_at]))
                ++m_at;
            std::string_view value;
            if (m_at < m_page.size() && (m_page[m_at] == '"' || m_page[m_at] == '\'')) {
                const std::size_t close = m_page.find(m_page[m_at], m_at + 1);
                if (close == std::string_view::npos) {
                    m_at = m_page.size();
                    return false;
                }
                value = m_page.substr(m_at + 1, close - m_at - 1);
                m_at = close + 1;
            } else {
                const std::size_t valueAt = m_at;
                while (m_at < m_page.size() && !IsSpace(m_page[m_at]) && m_page[m_at] != '>')
                    ++m_at;
                value = m_page.substr(valueAt, m_at - valueAt);
            }
            if (href && EqualsLower(name, "href"))
                *href = LinkTarget(value).value_or(std::string());
        }
    }

    // Moves past the end tag of an element whose contents are not shown.
    void SkipHiddenContents(std::string_view name) {
        for (std::size_t at = m_page.find("</", m_at); at != std::string_view::npos;
             at = m_page.find("</", at + 2)) {
            const std::string_view candidate = m_page.substr(at + 2, name.size());
            const std::size_t after = at + 2 + name.size();
            if (EqualsLower(candidate, name) && (after >= m_page.size() || IsSpace(m_page[after]) ||
                                                 m_page[after] == '>' || m_page[after] == '/')) {
                SkipPast(">", after);
                return;
            }
        }
        m_at = m_page.size();
    }

    std::string_view m_page;
    std::size_t m_at = 0;
    Writer m_writer;
};

}  // namespace

std::string BannerMarkup(std::string_view page) {
    return PageReader(page).Read();
}

}  // namespace quorvel
