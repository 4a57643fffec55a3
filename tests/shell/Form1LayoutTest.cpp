#include "Form1Fixture.h"

#include <gtest/gtest.h>

#include <QTest>

namespace quorvel {
namespace {

struct Box {
    int left, top, width, height;
    bool operator==(const Box&) const = default;
};

Box Geometry(const Form& form, const char* name) {
    const FormControl& c = *form.Control(name);
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

void ShowAt(Form1& form, int width, int height) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Resize(width, height);
    ASSERT_EQ(form.Width(), width);
    ASSERT_EQ(form.Height(), height);
}

TEST(Form1Layout, PlayerPanelsAndListsFollowTheWindowSize) {
    test::Form1Fixture fixture;
    auto form = fixture.MakeForm();
    ShowAt(*form, 15630, 9000);

    EXPECT_EQ(Geometry(*form, "WindowsMediaPlayer1"), (Box{5340, 1140, 9690, 9000 - 2140}));
    EXPECT_EQ(Geometry(*form, "cmdWebsite"), (Box{6660, 60, 8370, 915}));
    const Box panel{60, 1020, 5235, 9000 - 2000};
    EXPECT_EQ(Geometry(*form, "Frame1"), panel);
    EXPECT_EQ(Geometry(*form, "Frame3"), panel);
    EXPECT_EQ(Geometry(*form, "Frame4"), panel);
    const Box list{180, 900, 4935, 9000 - 2960};
    EXPECT_EQ(Geometry(*form, "ListView1"), list);
    EXPECT_EQ(Geometry(*form, "ListView2"), list);
    EXPECT_EQ(Geometry(*form, "Dir1"), (Box{120, 660, 4995, (9000 - 3260) / 2}));
    EXPECT_EQ(Geometry(*form, "File1"), (Box{120, 660 + 2870 + 60, 4995, 2870}));
    // Nothing else moves.
    EXPECT_EQ(Geometry(*form, "Drive1"), (Box{120, 240, 4995, 315}));
    EXPECT_EQ(Geometry(*form, "Combo1"), (Box{180, 480, 3315, 315}));
    EXPECT_EQ(Geometry(*form, "cmdFav"), (Box{3540, 180, 1575, 615}));
    EXPECT_EQ(Geometry(*form, "Frame2"), (Box{5400, 1080, 9675, 7095}));

    // Too small a window: the differences turn round instead of going negative.
    form->Resize(3000, 1500);
    EXPECT_EQ(Geometry(*form, "WindowsMediaPlayer1"), (Box{5340, 1140, 2940, 640}));
    EXPECT_EQ(Geometry(*form, "Frame1").height, 780);
    EXPECT_EQ(Geometry(*form, "ListView1").height, 180);
}

TEST(Form1Layout, ResellerEditionShowsEightButtonsAndANarrowerWebsiteButton) {
    test::Form1Fixture fixture;
    VersionInfo info = CurrentVersionInfo();
    info.companyName = std::string(kResellerCompanyName);
    ScopedVersionInfo reseller(info);
    LoadProductInfo();
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    ShowAt(*form, 15630, 9000);

    int shown = 0;
    for (const char* name : {"cmdTV", "cmdRadio", "cmdVideo", "cmdFavorites", "cmdFiles",
                             "cmdSports", "cmdExtras", "cmdXXX", "cmdWebsite"})
        shown += form->Control(name)->Visible();
    EXPECT_EQ(shown, 9);
    EXPECT_EQ(Geometry(*form, "cmdWebsite"), (Box{10635, 60, 8370 - 3975, 915}));
    form->close();
    LoadProductInfo();
}

}  // namespace
}  // namespace quorvel
