#include "m3u/M3uCatalogue.h"

#include <array>
#include <optional>
#include <utility>

#include "files/TextCase.h"
#include "files/Windows1252.h"
#include "m3u/CountryNames.h"

namespace quorvel {
namespace {

constexpr std::array<std::string_view, 4> kCategories = {"TV", "Radio", "Video", "XXX"};

// Windows-1252 bytes a catalogue line can hold: no field separator, no control
// characters, and neither of the letters whose encoded form ends a line or is lost.
void MakeStorable1252(std::string& bytes) {
    for (char& ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '|')
            ch = '/';
        else if (c < 0x20 || c == 0x7F)
            ch = ' ';
        else if (c == 0xCC)  // Ì
            ch = 'I';
        else if (c == 0xFF)  // ÿ
            ch = 'y';
    }
}

// Latin-1 letters (U+00A0 to U+00FF) are the common case beyond ASCII and map to
// Windows-1252 one to one: only text with anything else goes through the converter.
bool ConvertLatin1(std::string_view utf8, std::string& bytes) {
    if (IsAsciiText(utf8)) {
        bytes.assign(utf8);
        return true;
    }
    bytes.clear();
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            const unsigned code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
            if ((next & 0xC0) != 0x80 || code < 0xA0)
                return false;
            bytes.push_back(static_cast<char>(code));
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 8);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string StorableText(std::string_view utf8) {
    std::string bytes;
    const bool latin1 = ConvertLatin1(utf8, bytes);
    if (!latin1)
        bytes = Utf8ToWindows1252(utf8);
    MakeStorable1252(bytes);
    if (IsAsciiText(bytes))
        return bytes;
    return latin1 ? Latin1ToUtf8(bytes) : Windows1252ToUtf8(bytes);
}

bool HasScheme(std::string_view address) {
    const std::size_t colon = address.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = address[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
            return false;
    }
    return true;
}

// A URL keeps working when what the code page cannot hold is percent-encoded (the UTF-8
// bytes, as browsers send them); a local path would not, so it gets the text rule.
std::string StorableAddress(std::string_view address) {
    if (!HasScheme(address))
        return StorableText(address);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(address.size());
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || c <= 0x20 || c == 0x7F || c == '|') {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// An entry naming more gives no useful language box entry, only cost.
constexpr std::size_t kMaxLanguages = 32;

// What a group-title names when it sorts channels by kind rather than by language or
// country: the catalogue's categories and the genres playlists commonly use.
constexpr std::string_view kGenres[] = {
    "Adult",     "Animation",     "Auto",          "Business",
    "Cartoons",  "Children",      "Classic",       "Comedy",
    "Cooking",   "Culture",       "Documentaries", "Documentary",
    "Education", "Entertainment", "Family",        "Film",
    "Films",     "Food",          "General",       "Info",
    "Kids",      "Legislative",   "Lifestyle",     "Local",
    "Movie",     "Movies",        "Music",         "News",
    "Other",     "Outdoor",       "Public",        "Radio",
    "Regional",  "Relax",         "Religion",      "Religious",
    "Science",   "Series",        "Shop",          "Shopping",
    "Sport",     "Sports",        "Travel",        "TV",
    "Undefined", "Video",         "Weather",       "XXX",
};

// Hands each piece of a list such as "English;French" (split at ";", ",", "/" or "|",
// blanks trimmed, empty ones left out) to `each` until it returns false.
template <typename Each>
void ForEachPiece(std::string_view list, Each&& each) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t stop = list.find_first_of(";,/|", start);
        if (stop == std::string_view::npos)
            stop = list.size();
        const std::string_view piece = Trim(list.substr(start, stop - start));
        start = stop + 1;
        if (!piece.empty() && !each(piece))
            return;
    }
}

// The pieces of a list, each given to `name` and made storable, the distinct results
// joined by "/". At most kMaxLanguages, found in one pass: each piece is held against
// that many at most.
template <typename Name>
std::string JoinDistinct(std::string_view list, Name&& name) {
    std::vector<std::string> seen;
    std::string out;
    ForEachPiece(list, [&](std::string_view piece) {
        // Made storable before the comparison: two names the code page cannot hold would
        // otherwise both become "?" and stand twice.
        std::string named = StorableText(name(piece));
        if (Trim(named).empty())
            return true;
        for (const std::string& known : seen) {
            if (EqualsIgnoringCase(known, named))
                return true;
        }
        if (!out.empty())
            out.push_back('/');
        out.append(named);
        seen.push_back(std::move(named));
        return seen.size() < kMaxLanguages;
    });
    return out;
}

std::string_view AsWritten(std::string_view piece) {
    return piece;
}

std::string_view CountryOrAsWritten(std::string_view piece) {
    return CountryName(piece).value_or(piece);
}

bool NamesGenre(std::string_view group) {
    bool genre = false;
    ForEachPiece(group, [&](std::string_view piece) {
        for (const auto known : kGenres)
            genre = genre || EqualsIgnoringCase(piece, known);
        return !genre;
    });
    return genre;
}

// The attributes an import reads, each the first of its name, taken in one walk over the
// entry's attributes rather than one walk per name.
struct ImportAttributes {
    std::optional<std::string_view> name, group, languages, countries, radio;

    explicit ImportAttributes(const M3uEntry& entry) {
        entry.ForEachAttribute([this](std::string_view key, std::string_view value) {
            for (auto [wanted, slot] : {std::pair{"tvg-name", &name},
                                        {"group-title", &group},
                                        {"tvg-language", &languages},
                                        {"tvg-country", &countries},
                                        {"radio", &radio}}) {
                if (!*slot && EqualsIgnoringCase(key, wanted))
                    *slot = value;
            }
            return false;
        });
    }
};

std::string_view GroupOf(const M3uEntry& entry, const ImportAttributes& attributes) {
    const std::string_view group = attributes.group.value_or(std::string_view());
    return group.empty() ? std::string_view(entry.group) : group;
}

// The languages the language box offers the channel under: tvg-language; failing that a
// group-title that sorts by something other than kind (often a language or a country);
// failing that the countries of tvg-country by name.
std::string TypeOf(const M3uEntry& entry, const ImportAttributes& attributes) {
    std::string type = JoinDistinct(attributes.languages.value_or(""), AsWritten);
    if (!type.empty())
        return type;
    const std::string_view group = GroupOf(entry, attributes);
    if (!NamesGenre(group))
        type = JoinDistinct(group, AsWritten);
    if (!type.empty())
        return type;
    return JoinDistinct(attributes.countries.value_or(""), CountryOrAsWritten);
}

std::string CategoryOf(const M3uEntry& entry, const ImportAttributes& attributes,
                       const M3uImportOptions& options) {
    if (!options.category.empty())
        return StorableText(options.category);
    const std::string_view group = GroupOf(entry, attributes);
    for (const auto category : kCategories) {
        if (EqualsIgnoringCase(Trim(group), category))
            return std::string(category);
    }
    if (EqualsIgnoringCase(attributes.radio.value_or(""), "true"))
        return "Radio";
    return "TV";
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out.push_back(' ');
    out.append(name).append("=\"");
    // A double quote would end the value early.
    for (const char c : value)
        out.push_back(c == '"' ? '\'' : c);
    out.push_back('"');
}

}  // namespace

CatalogueEntry ChannelFromM3u(const M3uEntry& entry, const M3uImportOptions& options) {
    const ImportAttributes attributes(entry);
    CatalogueEntry channel;
    std::string_view name = entry.title;
    if (name.empty())
        name = attributes.name.value_or(std::string_view());
    if (name.empty())
        name = entry.url;
    channel.name = StorableText(name);
    channel.url = StorableAddress(entry.url);
    channel.category = CategoryOf(entry, attributes, options);
    channel.type = TypeOf(entry, attributes);
    return channel;
}

std::vector<CatalogueEntry> ChannelsFromM3u(const M3uPlaylist& playlist,
                                            const M3uImportOptions& options) {
    std::vector<CatalogueEntry> channels;
    channels.reserve(playlist.entries.size());
    for (const M3uEntry& entry : playlist.entries)
        channels.push_back(ChannelFromM3u(entry, options));
    return channels;
}

std::string WriteM3u(const std::vector<CatalogueEntry>& channels) {
    std::string out = "#EXTM3U\n";
    std::string languages;
    for (const CatalogueEntry& channel : channels) {
        const std::string_view url = Trim(channel.url);
        if (url.empty())
            continue;
        languages.clear();
        for (const char c : channel.type)
            languages.push_back(c == '/' ? ';' : c);
        out.append("#EXTINF:-1");
        AppendAttribute(out, "tvg-name", channel.name);
        AppendAttribute(out, "tvg-language", languages);
        AppendAttribute(out, "group-title", channel.category);
        out.push_back(',');
        out.append(channel.name).push_back('\n');
        out.append(url).push_back('\n');
    }
    return out;
}

}  // namespace quorvel
