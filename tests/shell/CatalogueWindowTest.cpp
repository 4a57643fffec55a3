#include "shell/CatalogueWindow.h"

#include "TempDir.h"
#include "catalogue/ChannelList.h"
#include "catalogue/LineCodec.h"
#include "files/Windows1252.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

#include <initializer_list>

namespace quorvel {
namespace {

using test::TempDir;

// A catalogue file as the program stores it: encoded Windows-1252 lines ending CR LF.
std::string Catalogue(std::initializer_list<const char*> lines) {
    std::string bytes;
    for (const char* line : lines)
        bytes += EncodeLine(Utf8ToWindows1252(line)) + "\r\n";
    return bytes;
}

struct Messages {
    std::vector<QString> texts;
    MessagePresenter Presenter() {
        return [this](QWidget*, const QString& text) { texts.push_back(text); };
    }
};

std::vector<std::string> Names(const ListRows& rows) {
    std::vector<std::string> names;
    for (int i = 1; i <= rows.Count(); ++i)
        names.push_back(rows.At(i).text);
    return names;
}

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

TEST(CatalogueWindow, ListsTvChannelsOfTheApplicationFolderFiltersByLanguageAndOffersClicks) {
    TempDir dir;
    dir.Write("DATA.TXT",  // found whatever the letter case of the name
              Catalogue({"DW English|https://dw.example/en.m3u8|TV|English",
                         "Radio Uno|http://radio.example/1|Radio|Italian",
                         "DW Espa\xC3\xB1ol|https://dw.example/es.m3u8|TV|Spanish", "",
                         "not a record", "Canal Dos|https://two.example/hls|TV|English/Spanish"}));
    CatalogueWindow window(dir.Path());
    Messages messages;
    window.SetMessagePresenter(messages.Presenter());

    ASSERT_TRUE(window.LoadChannelList());
    EXPECT_TRUE(messages.texts.empty());
    const ListRows& rows = window.ListView1->Rows();
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"DW English", "Canal Dos"}));
    EXPECT_EQ(rows.At(2).tag, "https://two.example/hls");
    EXPECT_EQ(rows.At(2).SubItem(1), "TV");
    EXPECT_EQ(rows.At(2).SubItem(2), "English/Spanish");
    EXPECT_EQ(window.ListView1->model()->index(1, 2).data().toString(), "English/Spanish");

    EXPECT_EQ(Items(*window.Combo1), (QStringList{"All", "English", "Spanish"}));
    EXPECT_EQ(window.Combo1->currentText(), "English");

    // The columns the window was designed with.
    const QAbstractItemModel* model = window.ListView1->model();
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Channel");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Category");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Type");

    // Choosing a language lists again, with accented names intact.
    window.Combo1->setCurrentIndex(2);
    Q_EMIT window.Combo1->activated(2);
    EXPECT_EQ(window.State().CurrentLanguage, "Spanish");
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"DW Espa\xC3\xB1ol", "Canal Dos"}));
    Q_EMIT window.Combo1->activated(0);
    EXPECT_EQ(rows.Count(), 3);
    // The language list is built once; later loads leave it as the user chose it.
    EXPECT_EQ(Items(*window.Combo1), (QStringList{"All", "English", "Spanish"}));

    // A click on a row offers its hidden address to the player.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_NE(window.PlayerSlot(), nullptr);
    QSignalSpy chosen(&window, &CatalogueWindow::ChannelChosen);
    const QRect third = window.ListView1->visualRect(window.ListView1->model()->index(2, 0));
    QTest::mouseClick(window.ListView1->viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toString(), "https://two.example/hls");
}

TEST(CatalogueWindow, MissingCatalogueShowsTheMessageAndRetriesTheLanguageList) {
    TempDir dir;
    CatalogueWindow window(dir.Path());
    Messages messages;
    window.SetMessagePresenter(messages.Presenter());

    EXPECT_FALSE(window.LoadChannelList());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].toStdString(), kCatalogueMissingMessage);
    EXPECT_EQ(window.ListView1->Rows().Count(), 0);
    EXPECT_EQ(window.Combo1->count(), 0);
    EXPECT_TRUE(window.State().RefreshLanguageList);

    // Once the file is there, the next load builds the language list after all.
    dir.Write("Data.txt", Catalogue({"Late|http://late.example|TV|German"}));
    EXPECT_TRUE(window.LoadChannelList());
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(Items(*window.Combo1), (QStringList{"All", "German"}));
    // "English" is not among the languages: no entry is chosen and the text is empty.
    EXPECT_EQ(window.Combo1->currentIndex(), -1);
    EXPECT_EQ(window.Combo1->currentText(), "");
    EXPECT_EQ(window.ListView1->Rows().Count(), 0);
}

}  // namespace
}  // namespace quorvel
