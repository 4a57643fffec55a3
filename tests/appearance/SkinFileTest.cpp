#include "appearance/ProductInfo.h"
#include "appearance/SkinFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace quorvel {
namespace {

std::string ShippedSkin(const char* name) {
    std::ifstream in(std::string(QUORVEL_SOURCE_DIR) + "/resources/skins/" + name + ".skin",
                     std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(SkinFile, ShippedSkinsReadWholeAndDiffer) {
    const SkinParseResult light = ParseSkinFile(ShippedSkin("light"));
    const SkinParseResult dark = ParseSkinFile(ShippedSkin("dark"));
    ASSERT_TRUE(light.skin) << light.error;
    ASSERT_TRUE(dark.skin) << dark.error;
    EXPECT_EQ(light.skin->name, "Light");
    EXPECT_EQ(dark.skin->name, "Dark");
    EXPECT_EQ(light.skin->colorA, (SkinColor{0xf7, 0xf9, 0xfc}));
    EXPECT_EQ(SkinColorText(dark.skin->colorB), "#e6e9ef");
    // Text must stand out from what it is written on.
    for (const SkinFile* skin : {&*light.skin, &*dark.skin}) {
        EXPECT_NE(skin->colorA, skin->colorB);
        EXPECT_NE(skin->window.background, skin->window.text);
        EXPECT_NE(skin->label.background, skin->label.text);
    }
}

TEST(SkinFile, LineEndsCommentsUnknownKeysAndDefaults) {
    const SkinParseResult parsed = ParseSkinFile(
        "# comment\r\nname =  Plain  \r\ncolorA=#0000FF\rcolorB = #ffffff\n\n"
        "future.key = anything\ncolorC = #102030\nlist.header = #abcdef");
    ASSERT_TRUE(parsed.skin) << parsed.error;
    const SkinFile& skin = *parsed.skin;
    EXPECT_EQ(skin.name, "Plain");
    EXPECT_EQ(skin.colorA, (SkinColor{0, 0, 255}));
    EXPECT_EQ(skin.colorB, (SkinColor{255, 255, 255}));
    EXPECT_EQ(skin.colorC, (SkinColor{0x10, 0x20, 0x30}));
    EXPECT_EQ(skin.list.header, (SkinColor{0xab, 0xcd, 0xef}));
    // Left out: taken from the three colours.
    EXPECT_EQ(skin.window.background, skin.colorC);
    EXPECT_EQ(skin.window.text, skin.colorB);
    EXPECT_EQ(skin.label.text, skin.colorB);
    EXPECT_EQ(skin.button.text, skin.colorB);
}

TEST(SkinFile, RefusesWhatIsNoSkinAndSaysWhere) {
    const std::string abc = "colorA = #000000\ncolorB = #111111\ncolorC = #222222\n";
    EXPECT_EQ(ParseSkinFile("colorA = #000000\ncolorB = #111111\n").error,
              "the skin file does not give colorC");
    EXPECT_EQ(ParseSkinFile(abc + "window.text = red\n").error,
              "line 4: \"window.text\" needs a colour #RRGGBB");
    EXPECT_EQ(ParseSkinFile(abc + "colorA = #12345g\n").error,
              "line 4: \"colorA\" needs a colour #RRGGBB");
    EXPECT_EQ(ParseSkinFile("\r\n\r\njust words\n" + abc).error,
              "line 3: expected \"key = value\"");
    EXPECT_FALSE(ParseSkinFile(abc + "name = " + std::string(200, 'n')).skin);
    EXPECT_FALSE(ParseSkinFile(std::string("colorA = #000000\0", 17) + "\ncolorB = #111111").skin);

    std::string huge = abc;
    huge.resize(kMaxSkinFileBytes + 1, '#');
    EXPECT_FALSE(ParseSkinFile(huge).skin);
    std::string padded = abc + "#";
    padded.resize(kMaxSkinFileBytes, '#');
    EXPECT_TRUE(ParseSkinFile(padded).skin);
}

TEST(ProductInfo, SwitchesOfTheBuildReachTheBrandingValues) {
    {
        ScopedBrandingSwitches on({true, true, "http://127.0.0.1/banner", "dark"});
        LoadProductInfo();
        EXPECT_TRUE(Branding().SkinEnabled);
        EXPECT_TRUE(Branding().BannerEnabled);
        EXPECT_EQ(Branding().BannerUrl, "http://127.0.0.1/banner");
        EXPECT_EQ(CurrentBrandingSwitches().skinFile, "dark");
    }
    LoadProductInfo();
    EXPECT_EQ(Branding().SkinEnabled, CurrentBrandingSwitches().skinEnabled);
}

}  // namespace
}  // namespace quorvel
