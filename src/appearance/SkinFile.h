#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct SkinColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const SkinColor&) const = default;
};

// A skin: the three colours handed to ordinary controls and the look of windows, buttons,
// lists and skinned labels.
struct SkinFile {
    std::string name;
    SkinColor colorA;  // background of buttons, text boxes and lists
    SkinColor colorB;  // text of text boxes and lists
    SkinColor colorC;  // background of picture boxes

    struct Window {
        SkinColor background;
        SkinColor text;
        SkinColor panel;   // frames
        SkinColor border;  // frames and list headers
    } window;
    struct Button {
        SkinColor text;
    } button;
    struct List {
        SkinColor selection;
        SkinColor selectionText;
        SkinColor header;
        SkinColor headerText;
    } list;
    struct Label {
        SkinColor text;
        SkinColor background;
    } label;
};

// Skin files are a few hundred bytes; anything past this is not one.
inline constexpr std::size_t kMaxSkinFileBytes = 64 * 1024;

struct SkinParseResult {
    std::optional<SkinFile> skin;
    // Why the text is no skin ("line 4: ..."); empty on success.
    std::string error;
};

// Reads "key = value" lines ("#" starts a comment line; CR LF, LF or CR line ends).
// Colours are "#RRGGBB". colorA, colorB and colorC are required; the look keys default to
// colours derived from them. Unknown keys are passed over so newer skins still load.
// One pass over the text.
SkinParseResult ParseSkinFile(std::string_view text);

// "#rrggbb".
std::string SkinColorText(const SkinColor& color);

}  // namespace quorvel
