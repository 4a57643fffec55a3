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
#include "shell/widgets/ListView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QMenu>
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
    const auto texts = [&] {
        return QStringList{main->cmdTV->text(), main->cmdWebsite->text(), main->Frame1->title(),
                           main->mnuFile->title(),
                           main->ListView1->model()->headerData(1, Qt::Horizontal).toString()};
    };
    const QStringList english = texts();

    ChangeLanguage(*main, "Deutsch");
    const QStringList german = texts();
    for (int i = 0; i < english.size(); ++i)
        EXPECT_NE(german[i], english[i]) << english[i].toStdString();
    EXPECT_TRUE(german[1].contains(QString::fromStdString(Branding().Website)));
    // Longer captions still fit the category buttons' designed width.
    for (const char* language : {"Deutsch", "Español", "Français"}) {
        ChangeLanguage(*main, language);
        for (QToolButton* button : {main->cmdTV, main->cmdRadio, main->cmdVideo, main->cmdFavorites,
                                    main->cmdFiles, main->cmdSports}) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
                << language << " " << button->text().toStdString();
        }
    }
    ChangeLanguage(*main, "English");
    EXPECT_EQ(texts(), english);

    main->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetApplicationFolder(previous);
}

}  // namespace
}  // namespace quorvel
