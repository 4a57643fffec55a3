#include "appearance/SkinFile.h"

#include "files/TextCase.h"

#include <array>
#include <cstdio>

namespace quorvel {
namespace {

constexpr std::size_t kMaxNameLength = 80;

std::optional<SkinColor> ParseColor(std::string_view text) {
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    std::array<std::uint8_t, 3> parts{};
    for (std::size_t i = 0; i < 3; ++i) {
        const int high = HexDigitValue(text[1 + 2 * i]);
        const int low = HexDigitValue(text[2 + 2 * i]);
        if (high < 0 || low < 0)
            return std::nullopt;
        parts[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return SkinColor{parts[0], parts[1], parts[2]};
}

SkinColor Mix(const SkinColor& a, const SkinColor& b, int percentOfB) {
    const auto channel = [percentOfB](int x, int y) {
        return static_cast<std::uint8_t>((x * (100 - percentOfB) + y * percentOfB) / 100);
    };
    return {channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue)};
}

enum class Key {
    ColorA,
    ColorB,
    ColorC,
    WindowBackground,
    WindowText,
    WindowPanel,
    WindowBorder,
    ButtonText,
    ListSelection,
    ListSelectionText,
    ListHeader,
    ListHeaderText,
    LabelText,
    LabelBackground,
    Count
};

struct KeyName {
    std::string_view name;
    Key key;
};

constexpr std::array<KeyName, static_cast<std::size_t>(Key::Count)> kKeys{{
    {"colorA", Key::ColorA},
    {"colorB", Key::ColorB},
    {"colorC", Key::ColorC},
    {"window.background", Key::WindowBackground},
    {"window.text", Key::WindowText},
    {"window.panel", Key::WindowPanel},
    {"window.border", Key::WindowBorder},
    {"button.text", Key::ButtonText},
    {"list.selection", Key::ListSelection},
    {"list.selectionText", Key::ListSelectionText},
    {"list.header", Key::ListHeader},
    {"list.headerText", Key::ListHeaderText},
    {"label.text", Key::LabelText},
    {"label.background", Key::LabelBackground},
}};

SkinColor* Slot(SkinFile& skin, Key key) {
    switch (key) {
        case Key::ColorA:
            return &skin.colorA;
        case Key::ColorB:
            return &skin.colorB;
        case Key::ColorC:
            return &skin.colorC;
        case Key::WindowBackground:
            return &skin.window.background;
        case Key::WindowText:
            return &skin.window.text;
        case Key::WindowPanel:
            return &skin.window.panel;
        case Key::WindowBorder:
            return &skin.window.border;
        case Key::ButtonText:
            return &skin.button.text;
        case Key::ListSelection:
            return &skin.list.selection;
        case Key::ListSelectionText:
            return &skin.list.selectionText;
        case Key::ListHeader:
            return &skin.list.header;
        case Key::ListHeaderText:
            return &skin.list.headerText;
        case Key::LabelText:
            return &skin.label.text;
        case Key::LabelBackground:
            return &skin.label.background;
        case Key::Count:
            break;
    }
    return nullptr;
}

SkinParseResult Failure(std::size_t line, std::string_view what) {
    return {std::nullopt, "line " + std::to_string(line) + ": " + std::string(what)};
}

// Look colours the file leaves out follow from the three colours it must give.
void FillDefaults(SkinFile& skin,
                  const std::array<bool, static_cast<std::size_t>(Key::Count)>& set) {
    const auto fill = [&](Key key, SkinColor value) {
        if (!set[static_cast<std::size_t>(key)])
            *Slot(skin, key) = value;
    };
    fill(Key::WindowBackground, skin.colorC);
    fill(Key::WindowText, skin.colorB);
    fill(Key::WindowPanel, skin.window.background);
    fill(Key::WindowBorder, Mix(skin.window.background, skin.window.text, 40));
    fill(Key::ButtonText, skin.colorB);
    fill(Key::ListSelection, Mix(skin.colorA, skin.colorB, 70));
    fill(Key::ListSelectionText, skin.colorA);
    fill(Key::ListHeader, skin.colorC);
    fill(Key::ListHeaderText, skin.colorB);
    fill(Key::LabelText, skin.window.text);
    fill(Key::LabelBackground, skin.window.background);
}

}  // namespace

SkinParseResult ParseSkinFile(std::string_view text) {
    if (text.size() > kMaxSkinFileBytes)
        return {std::nullopt, "the skin file is larger than " +
                                  std::to_string(kMaxSkinFileBytes / 1024) + " KiB"};
    SkinFile skin;
    std::array<bool, static_cast<std::size_t>(Key::Count)> set{};
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = TrimSpacesAndTabs(text.substr(pos, end - pos));
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++pos;
        ++lineNumber;

        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return Failure(lineNumber, "expected \"key = value\"");
        const std::string_view key = TrimSpacesAndTabs(line.substr(0, equals));
        const std::string_view value = TrimSpacesAndTabs(line.substr(equals + 1));
        if (key == "name") {
            if (value.size() > kMaxNameLength)
                return Failure(lineNumber, "the name is too long");
            skin.name = std::string(value);
            continue;
        }
        for (const KeyName& known : kKeys) {
            if (known.name != key)
                continue;
            const std::optional<SkinColor> color = ParseColor(value);
            if (!color)
                return Failure(lineNumber, "\"" + std::string(key) + "\" needs a colour #RRGGBB");
            *Slot(skin, known.key) = *color;
            set[static_cast<std::size_t>(known.key)] = true;
        }
    }
    for (const Key required : {Key::ColorA, Key::ColorB, Key::ColorC}) {
        if (!set[static_cast<std::size_t>(required)])
            return {std::nullopt, "the skin file does not give " +
                                      std::string(kKeys[static_cast<std::size_t>(required)].name)};
    }
    FillDefaults(skin, set);
    return {std::move(skin), {}};
}

std::string SkinColorText(const SkinColor& color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.red, color.green, color.blue);
    return text;
}

}  // namespace quorvel
