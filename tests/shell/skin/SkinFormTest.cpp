#include "../Form1Fixture.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "shell/player/FileListBox.h"
#include "shell/skin/SkinControl.h"
#include "shell/skin/SkinManager.h"
#include "shell/skin/modSkin.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <optional>

namespace quorvel {
namespace {

using test::Form1Fixture;

const QColor kA(10, 20, 30);
const QColor kB(200, 210, 220);
const QColor kC(90, 80, 70);

QColor Role(const QWidget* widget, QPalette::ColorRole role) {
    return widget->palette().color(role);
}

// A window holding one control of each kind the colour table names, in this order.
struct TableWindow {
    Form form{QStringLiteral("frmTable")};
    QPushButton* button =
        form.AddControl(new QPushButton(form.ClientArea()), "Command1", ControlType::CommandButton);
    QLineEdit* text =
        form.AddControl(new QLineEdit(form.ClientArea()), "Text1", ControlType::TextBox);
    QLabel* picture =
        form.AddControl(new QLabel(form.ClientArea()), "Picture1", ControlType::PictureBox);
    QLabel* label = form.AddControl(new QLabel(form.ClientArea()), "Label1", ControlType::Label);
    QPushButton* otherCase = form.AddControl(new QPushButton(form.ClientArea()), "Command2",
                                             QStringLiteral("commandbutton"));
};

TEST(ColorControls, EachKindTakesExactlyTheColoursOfTheTable) {
    TableWindow w;
    const QPalette buttonBefore = w.button->palette();
    const QPalette labelBefore = w.label->palette();
    const QPalette otherBefore = w.otherCase->palette();
    ColorControls(w.form, kA, kB, kC);

    EXPECT_EQ(Role(w.button, QPalette::Button), kA);
    EXPECT_EQ(Role(w.button, QPalette::ButtonText), buttonBefore.color(QPalette::ButtonText));
    EXPECT_EQ(Role(w.text, QPalette::Base), kA);
    EXPECT_EQ(Role(w.text, QPalette::Text), kB);
    EXPECT_EQ(Role(w.picture, w.picture->backgroundRole()), kC);
    EXPECT_TRUE(w.picture->autoFillBackground());
    EXPECT_EQ(w.label->palette(), labelBefore);
    // Type names are compared with their letter case.
    EXPECT_EQ(w.otherCase->palette(), otherBefore);
}

TEST(ColorControls, TheFirstControlThatCannotBeColouredEndsTheWalk) {
    Form form(QStringLiteral("frmWalk"));
    auto* first = form.AddControl(new QLineEdit(form.ClientArea()), "Text1", ControlType::TextBox);
    auto* gone = form.AddControl(new QLineEdit(form.ClientArea()), "Text2", ControlType::TextBox);
    auto* after =
        form.AddControl(new QPushButton(form.ClientArea()), "Command1", ControlType::CommandButton);
    const QColor afterBefore = Role(after, QPalette::Button);
    delete gone;
    ColorControls(form, kA, kB, kC);
    EXPECT_EQ(Role(first, QPalette::Base), kA);
    EXPECT_EQ(Role(after, QPalette::Button), afterBefore);
}

TEST(SkinForm, WithoutASkinNothingChanges) {
    TableWindow w;
    const QPalette window = w.form.palette();
    const QPalette button = w.button->palette();
    SkinControl missing(QStringLiteral("no-such-skin"));
    EXPECT_FALSE(missing.Skin());
    EXPECT_FALSE(missing.LoadError().isEmpty());
    for (SkinControl* skin : {static_cast<SkinControl*>(nullptr), &missing}) {
        gSkin = skin;
        SkinForm(w.form);
        EXPECT_EQ(w.form.palette(), window);
        EXPECT_EQ(w.button->palette(), button);
    }
    gSkin = nullptr;
}

TEST(SkinForm, ColoursStayUnderTheWindowLookAndSkinnedLabelsTakeTheLabelColours) {
    TableWindow w;
    auto* skinned =
        w.form.AddControl(new QLabel(w.form.ClientArea()), "lblName", ControlType::SkinLabel);
    SkinControl skin(QStringLiteral("dark"));
    ASSERT_TRUE(skin.Skin()) << skin.LoadError().toStdString();
    gSkin = &skin;
    SkinForm(w.form);
    gSkin = nullptr;

    const SkinFile& file = *skin.Skin();
    EXPECT_EQ(Role(w.button, QPalette::Button), ToQColor(file.colorA));
    // Not given by the table: the skin's own, readable on A.
    EXPECT_EQ(Role(w.button, QPalette::ButtonText), ToQColor(file.button.text));
    EXPECT_EQ(Role(w.text, QPalette::Base), ToQColor(file.colorA));
    EXPECT_EQ(Role(w.text, QPalette::Text), ToQColor(file.colorB));
    EXPECT_EQ(Role(w.picture, QPalette::Window), ToQColor(file.colorC));
    EXPECT_EQ(Role(&w.form, QPalette::Window), ToQColor(file.window.background));
    // A plain label shows the window's text colour; a skinned one its own.
    EXPECT_EQ(Role(w.label, QPalette::WindowText), ToQColor(file.window.text));
    EXPECT_EQ(Role(skinned, QPalette::WindowText), ToQColor(file.label.text));
    EXPECT_TRUE(skinned->autoFillBackground());
}

TEST(SkinLabels, OneCopyPerPlainLabelInScope) {
    Form form(QStringLiteral("frmLabels"));
    auto* frame = form.AddControl(new QGroupBox(form.ClientArea()), "Frame1", ControlType::Frame);
    auto* skinTemplate = form.AddControl(new QLabel("Windowed Label", frame), "SkinLabel1",
                                         ControlType::SkinLabel, 0);
    skinTemplate->hide();
    auto* inside = form.AddControl(new QLabel("Inside", frame), "Label1", ControlType::Label);
    SetTwipsGeometry(inside, 120, 240, 1500, 255);
    inside->setFont(QFont(QStringLiteral("Verdana"), 11, QFont::Bold));
    auto* hidden = form.AddControl(new QLabel("Hidden", frame), "Label2", ControlType::Label);
    hidden->hide();
    form.AddControl(new QLabel("Outside", form.ClientArea()), "Label3", ControlType::Label);
    form.AddControl(new QLineEdit(frame), "Text1", ControlType::TextBox);

    EXPECT_EQ(CopyLabelsToSkinLabels(form, SkinLabelScope::TemplateContainer), 2);
    ASSERT_EQ(form.HighestIndex("SkinLabel1"), 2);
    const FormControl& first = *form.Control("SkinLabel1", 1);
    EXPECT_EQ(first.Caption(), "Inside");
    EXPECT_EQ(first.Left(), 120);
    EXPECT_EQ(first.Top(), 240);
    EXPECT_EQ(first.Width(), 1500);
    EXPECT_EQ(first.Font(), inside->font());
    EXPECT_TRUE(first.Visible());
    EXPECT_EQ(first.Widget()->parentWidget(), frame);
    EXPECT_EQ(form.Control("SkinLabel1", 2)->Caption(), "Hidden");
    EXPECT_FALSE(form.Control("SkinLabel1", 2)->Visible());

    // The about window's way: every plain label, wherever it sits.
    EXPECT_EQ(CopyLabelsToSkinLabels(form, SkinLabelScope::AnyContainer), 3);
    EXPECT_EQ(form.Control("SkinLabel1", 5)->Caption(), "Outside");
}

// Runs the program's own windows with the switches of a build.
class SwitchedWindows : public ::testing::Test {
protected:
    void Switch(bool skin, bool banner) {
        m_switches.emplace(BrandingSwitches{skin, banner, "http://", "light"});
        LoadProductInfo();
    }
    void TearDown() override {
        m_switches.reset();
        LoadProductInfo();
        gSkin = nullptr;
    }
    // The splash sets gSkin up as the program does; its hand-over is not wanted here.
    std::unique_ptr<frmSplash> LoadSplash() {
        auto splash = std::make_unique<frmSplash>([]() -> QWidget* { return nullptr; });
        splash->Form_Load();
        splash->Timer2->stop();
        return splash;
    }

    Form1Fixture fixture;

private:
    std::optional<ScopedBrandingSwitches> m_switches;
};

TEST_F(SwitchedWindows, SwitchedOffNothingChangesColourAndThereIsNoBanner) {
    Switch(false, false);
    auto splash = LoadSplash();
    EXPECT_TRUE(gSkin.isNull());
    auto form = fixture.MakeForm();
    const QPalette window = form->palette();
    const QPalette button = form->cmdFav->palette();
    const QPalette list = form->ListView1->palette();
    const QPalette text = form->txtAddName->palette();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(form->palette(), window);
    EXPECT_EQ(form->cmdFav->palette(), button);
    EXPECT_EQ(form->ListView1->palette(), list);
    EXPECT_EQ(form->txtAddName->palette(), text);
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->Control("picBox"), nullptr);
    EXPECT_TRUE(form->wbBanner->isHidden());
    EXPECT_EQ(form->HighestIndex("SkinLabel1"), 0);
}

TEST_F(SwitchedWindows, SkinOnColoursTheMainAndAboutWindowsFromTheSplashSkin) {
    Switch(true, false);
    auto splash = LoadSplash();
    ASSERT_FALSE(gSkin.isNull());
    ASSERT_TRUE(gSkin->Skin());
    ASSERT_NE(gSkinManager, nullptr);
    EXPECT_EQ(gSkinManager->AttachedSkin(), splash->skn);
    const SkinFile& skin = *gSkin->Skin();
    EXPECT_EQ(Role(splash.get(), QPalette::Window), ToQColor(skin.window.background));

    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(Role(form->cmdFav, QPalette::Button), ToQColor(skin.colorA));
    EXPECT_EQ(Role(form->txtAddName, QPalette::Base), ToQColor(skin.colorA));
    EXPECT_EQ(Role(form->txtAddName, QPalette::Text), ToQColor(skin.colorB));
    EXPECT_EQ(Role(form->ListView1, QPalette::Base), ToQColor(skin.colorA));
    EXPECT_EQ(Role(form->File1, QPalette::Text), ToQColor(skin.colorB));
    // Every plain label of the main window sits in a frame, away from SkinLabel1(0).
    EXPECT_EQ(form->HighestIndex("SkinLabel1"), 0);

    auto* about = new frmAbout();
    about->Form_Load();
    int plain = 0;
    for (const FormControl& control : about->Controls())
        plain += control.TypeName() == ControlType::Label ? 1 : 0;
    ASSERT_EQ(plain, 4);
    EXPECT_EQ(about->HighestIndex("SkinLabel1"), plain);
    EXPECT_EQ(about->Control("SkinLabel1", 1)->Caption(), about->Label2->text());
    EXPECT_EQ(Role(about->Picture1, QPalette::Window), ToQColor(skin.colorC));
    EXPECT_EQ(Role(about->lblVersion, QPalette::WindowText), ToQColor(skin.label.text));
    about->Unload();
}

}  // namespace
}  // namespace quorvel
