// The shipped "Localization.xml": its English group is what the generator makes from the
// delivered windows, and every other language translates every item of it. Run with
// QUORVEL_UPDATE_LOCALIZATION=1 to write the English group afresh after a window changed.
#include "ScopedHives.h"
#include "TempDir.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "files/TextCase.h"
#include "localization/LocalizationFormat.h"
#include "localization/clsLanguages.h"
#include "shell/Form1.h"
#include "shell/forms/Form.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "shell/localization/FormLocalization.h"
#include "shell/localization/frmLanguage.h"
#include "shell/player/PlayerErrorDialog.h"
#include "shell/widgets/ListView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace quorvel {
namespace {

const std::filesystem::path kShipped =
    std::filesystem::path(QUORVEL_SOURCE_DIR) / "resources/localization/Localization.xml";
constexpr std::string_view kGroupEnd = "</LANGUAGE_GROUP>\r\n";

std::string ReadShipped() {
    std::ifstream in(kShipped, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The delivered windows that show texts, loaded in the order the program loads them and
// started under a brand made of the placeholders, so that texts built from the branding
// values come out as "[Website]" and are filled in again when a language is applied.
class DeliveredWindows {
public:
    DeliveredWindows() : m_brand(PlaceholderBrand()) {
        LoadProductInfo();
        m_windows.push_back(new frmSplash([]() -> QWidget* { return nullptr; }));
        auto* main = new Form1;
        main->SetMessagePresenter([](QWidget*, const QString&) {});
        main->Form_Load();
        m_windows.push_back(main);
        auto* about = new frmAbout;
        about->Form_Load();
        m_windows.push_back(about);
        auto* language = new frmLanguage;
        language->Form_Load();
        m_windows.push_back(language);
    }
    ~DeliveredWindows() {
        for (Form* form : m_windows)
            form->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_brand.reset();
        LoadProductInfo();
    }

private:
    static VersionInfo PlaceholderBrand() {
        VersionInfo info = CurrentVersionInfo();
        info.productName = "[ProgramName]";
        info.companyName = "[CompanyName]";
        info.comments = "[Website]";
        info.major = 1;
        info.minor = 1;
        return info;
    }

    test::ScopedHives m_hives;
    std::optional<ScopedVersionInfo> m_brand;
    std::vector<Form*> m_windows;
};

using Items = std::map<std::string, std::string>;

// Language name -> upper-cased key -> text.
std::map<std::string, Items> GroupsOf(const std::string& file) {
    std::map<std::string, Items> groups;
    WalkLanguageGroups(file, [&](const LanguageGroup& group) {
        Items& items = groups[std::string(group.name.value_or("?"))];
        for (const std::string& line : SplitItemsBlock(group.items.value_or(""))) {
            const auto item = ReadItemLine(line, ToUpperAscii(line));
            if (item && item->text)
                items.emplace(ToUpperAscii(item->key), *item->text);
        }
        return true;
    });
    return groups;
}

TEST(ShippedLocalization, EnglishGroupIsWhatTheGeneratorMakesOfTheDeliveredWindows) {
    test::TempDir dir;
    const std::filesystem::path previous = ApplicationFolder();
    SetApplicationFolder(dir.Path());
    std::string generated;
    {
        DeliveredWindows windows;
        ASSERT_TRUE(MakeLocalizationFile());
        generated = dir.Read("Localization.xml");
    }
    SetApplicationFolder(previous);
    // Everything up to the end of the English group; the translations follow it.
    const std::string english = generated.substr(0, generated.find(kGroupEnd) + kGroupEnd.size());

    std::string shipped = ReadShipped();
    const std::size_t englishEnd = shipped.find(kGroupEnd);
    if (std::getenv("QUORVEL_UPDATE_LOCALIZATION")) {
        const std::string rest = englishEnd == std::string::npos
                                     ? "</XML_DIZ_INFO>\r\n"
                                     : shipped.substr(englishEnd + kGroupEnd.size());
        std::ofstream(kShipped, std::ios::binary) << english << rest;
        shipped = ReadShipped();
    }
    EXPECT_EQ(shipped.substr(0, english.size()), english)
        << "the windows changed: run this test with QUORVEL_UPDATE_LOCALIZATION=1 and "
           "translate the new items";
    EXPECT_THAT(shipped, ::testing::EndsWith("</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n"));
}

TEST(ShippedLocalization, EveryItemIsTranslatedIntoEachLanguage) {
    const auto groups = GroupsOf(ReadShipped());
    ASSERT_TRUE(groups.count("English"));
    const Items& english = groups.at("English");
    EXPECT_THAT(english, ::testing::Contains(::testing::Key("MSG_TITLELANGUAGE")));
    for (const char* language : {"Deutsch", "Español", "Français"}) {
        ASSERT_TRUE(groups.count(language)) << language;
        const Items& items = groups.at(language);
        int same = 0;
        for (const auto& [key, text] : english) {
            const auto it = items.find(key);
            ASSERT_NE(it, items.end()) << language << " lacks " << key;
            EXPECT_FALSE(it->second.empty()) << language << " " << key;
            same += it->second == text;
        }
        EXPECT_LT(same * 4, int(english.size())) << language << " leaves most items English";
        for (const auto& item : items)
            EXPECT_TRUE(english.count(item.first))
                << language << " has a stray item " << item.first;
    }
}

TEST(ShippedLocalization, GermanVisiblyChangesTheMainWindowAndEnglishBringsItBack) {
    test::TempDir dir;
    test::ScopedHives hives;
    const std::filesystem::path previous = ApplicationFolder();
    SetApplicationFolder(dir.Path());
    dir.Write("Localization.xml", ReadShipped());
    LoadProductInfo();
    auto* main = new Form1;
    main->SetMessagePresenter([](QWidget*, const QString&) {});
    main->Form_Load();
    // The windows' captions, and texts of the program's own: kept ones, and one read when
    // it is shown.
    const auto texts = [&] {
        return QStringList{main->cmdTV->text(),
                           main->cmdWebsite->text(),
                           main->Frame1->title(),
                           main->mnuFile->title(),
                           main->ListView1->model()->headerData(1, Qt::Horizontal).toString(),
                           main->findChild<QLineEdit*>("txtSearch1")->placeholderText(),
                           main->findChild<QComboBox*>("cboSearchScope")->itemText(1),
                           main->findChild<QPushButton*>("cmdCheckStreams")->text(),
                           PlayerErrorDialog::Message("x")};
    };
    const QStringList english = texts();

    ChangeLanguage(*main, "Deutsch");
    const QStringList german = texts();
    for (int i = 0; i < english.size(); ++i)
        EXPECT_NE(german[i], english[i]) << english[i].toStdString();
    EXPECT_TRUE(german[1].contains(QString::fromStdString(Branding().Website)));
    ChangeLanguage(*main, "English");
    EXPECT_EQ(texts(), english);

    main->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetApplicationFolder(previous);
}

// How much room a control gives its caption, by the style's own measures, or nothing for
// a control without one.
std::optional<int> CaptionRoom(QWidget* widget) {
    const QStyle* style = widget->style();
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(push);
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, push).width();
    }
    if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(check);
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width();
    }
    // A tool button's label is drawn inside its frame.
    if (qobject_cast<QToolButton*>(widget))
        return widget->width() -
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
    if (qobject_cast<QLabel*>(widget))
        return widget->contentsRect().width();
    return std::nullopt;
}

QString CaptionOf(QWidget* widget) {
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    return text.remove(QRegularExpression("&(?!&)"));
}

// Every caption the user can see, whole, in the desktop's font, in each shipped language.
TEST(ShippedLocalization, EveryCaptionFitsItsControlInEachLanguage) {
    test::TempDir dir;
    test::ScopedHives hives;
    const std::filesystem::path previous = ApplicationFolder();
    SetApplicationFolder(dir.Path());
    dir.Write("Localization.xml", ReadShipped());
    LoadProductInfo();
    std::vector<Form*> windows{new frmSplash([]() -> QWidget* { return nullptr; })};
    auto* main = new Form1;
    main->SetMessagePresenter([](QWidget*, const QString&) {});
    main->Form_Load();
    auto* about = new frmAbout;
    about->Form_Load();
    auto* language = new frmLanguage;
    language->Form_Load();
    windows.insert(windows.end(), {main, about, language});
    // The panels shown one at a time, the editing panel and the reseller edition's buttons.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{main->Frame2, main->Frame3, main->Frame4, main->cmdSports,
                                         main->cmdExtras, main->cmdXXX})
        widget->show();
    for (Form* window : windows) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }

    for (const char* name : {"English", "Deutsch", "Espa\xC3\xB1ol",
                             "Fran\xC3\xA7"
                             "ais"}) {
        if (std::string_view(name) != "English") {
            for (Form* window : windows)
                ChangeLanguage(*window, QString::fromUtf8(name));
        }
        for (Form* window : windows) {
            for (QWidget* widget : window->findChildren<QWidget*>()) {
                // Controls a layout places (the player's bar) size themselves to their texts.
                if (!widget->isVisible() || widget->parentWidget()->layout())
                    continue;
                const std::optional<int> room = CaptionRoom(widget);
                if (!room)
                    continue;
                const QString caption = CaptionOf(widget);
                const QFontMetrics metrics = widget->fontMetrics();
                if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
                    const QRect box = label->contentsRect();
                    EXPECT_LE(metrics.boundingRect(box, Qt::TextWordWrap, caption).height(),
                              box.height())
                        << name << ": " << window->Name().toStdString() << "."
                        << widget->objectName().toStdString();
                    continue;
                }
                EXPECT_LE(metrics.horizontalAdvance(caption), *room)
                    << name << ": " << window->Name().toStdString() << "."
                    << widget->objectName().toStdString() << " \"" << caption.toStdString() << "\"";
            }
        }
    }

    for (Form* window : windows)
        window->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetApplicationFolder(previous);
}

}  // namespace
}  // namespace quorvel
