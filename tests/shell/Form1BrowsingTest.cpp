#include "Form1Fixture.h"
#include "catalogue/ChannelList.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace quorvel {
namespace {

using test::EncodedLines;
using test::Items;
using test::Names;

const char* const kSample[] = {
    "DW English|https://dw.example/en.m3u8|TV|English",
    "Radio Uno|http://radio.example/1|Radio|Italian",
    "DW Espa\xC3\xB1ol|https://dw.example/es.m3u8|TV|Spanish",
    "",
    "not a record",
    "Canal Dos|https://two.example/hls|TV|English/Spanish",
    "Clip One|http://video.example/1|Video|French",
    "Clip Two|http://video.example/2|Video|English",
    "Late Show|http://xxx.example/1|XXX|French",
    "Night Show|http://xxx.example/2|XXX|German",
};

std::string SampleCatalogue() {
    std::string bytes;
    for (const char* line : kSample)
        bytes += EncodedLines({line});
    return bytes;
}

void Choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text, Qt::MatchExactly);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

TEST(Form1Browsing, ListsTvChannelsFiltersByLanguageAndPlaysAClickedRow) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("DATA.TXT", SampleCatalogue());  // found whatever the letter case
    auto form = fixture.MakeForm();
    form->cmdTV->click();

    EXPECT_TRUE(fixture.messages.isEmpty());
    const ListRows& rows = form->ListView1->Rows();
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"DW English", "Canal Dos"}));
    EXPECT_EQ(rows.At(2).tag, "https://two.example/hls");
    EXPECT_EQ(form->ListView1->model()->index(1, 2).data().toString(), "English/Spanish");
    EXPECT_EQ(Items(*form->Combo1), (QStringList{"All", "English", "Spanish"}));
    EXPECT_EQ(form->Combo1->currentText(), "English");
    const QAbstractItemModel* model = form->ListView1->model();
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Type");

    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // A choice from the list is stored for the category and lists again; accents intact.
    QComboBox* combo = form->Combo1;
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(2, 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_EQ(fixture.Setting("TVLang"), "Spanish");
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"DW Espa\xC3\xB1ol", "Canal Dos"}));
    // Text typed into the edit field runs nothing, also when it names an entry in another
    // letter case and Return ends it, or is completed to one and the focus leaves.
    QLineEdit* edit = combo->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "english");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form->State.CurrentLanguage, "Spanish");
    edit->selectAll();
    QTest::keyClicks(edit, "al");
    EXPECT_EQ(edit->text(), "all") << "completed to an entry";
    form->cmdFav->setFocus();
    ASSERT_FALSE(edit->hasFocus());
    EXPECT_EQ(form->State.CurrentLanguage, "Spanish");
    EXPECT_EQ(fixture.Setting("TVLang"), "Spanish");
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"DW Espa\xC3\xB1ol", "Canal Dos"}));
    EXPECT_EQ(Items(*combo), (QStringList{"All", "English", "Spanish"}));
    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    const QRect second = form->ListView1->visualRect(model->index(1, 0));
    QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played.at(0).at(0).toString(), "https://two.example/hls");
}

TEST(Form1Browsing, MissingCatalogueShowsTheMessageAndRetriesTheLanguageList) {
    test::Form1Fixture fixture;
    auto form = fixture.MakeForm();
    form->cmdTV_Click();
    ASSERT_EQ(fixture.messages.size(), 1);
    EXPECT_EQ(fixture.messages[0].toStdString(), kCatalogueMissingMessage);
    EXPECT_EQ(form->ListView1->Rows().Count(), 0);
    EXPECT_EQ(form->Combo1->count(), 0);
    EXPECT_TRUE(form->State.RefreshLanguageList);

    // Once the file is there, the next load builds the language list after all.
    fixture.WriteAppFile("Data.txt", EncodedLines({"Late|http://late.example|TV|German"}));
    EXPECT_TRUE(form->LoadChannelList());
    EXPECT_EQ(fixture.messages.size(), 1);
    EXPECT_EQ(Items(*form->Combo1), (QStringList{"All", "German"}));
    EXPECT_EQ(form->Combo1->currentIndex(), -1);
    EXPECT_EQ(form->Combo1->currentText(), "");
}

TEST(Form1Browsing, EachCategoryStartsWithItsStoredLanguageAndXxxBorrowsVideos) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", SampleCatalogue());
    fixture.Store("RadioLang", "Italian");
    fixture.Store("VideoLang", "French");
    auto form = fixture.MakeForm();

    form->cmdRadio_Click();
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Radio Uno"}));
    form->cmdVideo_Click();
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Clip One"}));
    form->cmdXXX_Click();
    EXPECT_EQ(form->State.CurrentCategory, "XXX");
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Late Show"}));
    // A language chosen while XXX shows lists it but is stored nowhere.
    Choose(form->Combo1, "German");
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Night Show"}));
    EXPECT_EQ(fixture.Setting("VideoLang"), "French");
    EXPECT_EQ(fixture.Setting("TVLang"), "<absent>");

    // "All" is stored; the next visit lists everything and the box says "All".
    form->mnuCatItem_Click(2);
    Choose(form->Combo1, "All");
    EXPECT_EQ(fixture.Setting("VideoLang"), "All");
    form->cmdTV_Click();
    form->cmdVideo_Click();
    EXPECT_EQ(form->ListView1->Rows().Count(), 2);
    EXPECT_EQ(form->Combo1->currentIndex(), 0);
    EXPECT_EQ(form->Combo1->currentText(), "All");
    EXPECT_EQ(fixture.Setting("VideoLang"), "All");
    EXPECT_EQ(Items(*form->Combo1), (QStringList{"All", "English", "French"}));
}

TEST(Form1Browsing, Combo1ShowsTheStoredLanguageAsTheReaderChoseIt) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", SampleCatalogue());
    auto form = fixture.MakeForm();

    fixture.Store("TVLang", "english");
    form->cmdTV_Click();
    EXPECT_EQ(form->ListView1->Rows().Count(), 2);
    EXPECT_EQ(form->Combo1->currentText(), "english");

    // The end of a name: the channels match, and the box shows what was stored.
    fixture.Store("TVLang", "anish");
    form->cmdTV_Click();
    EXPECT_EQ(Names(form->ListView1->Rows()),
              (std::vector<std::string>{"DW Espa\xC3\xB1ol", "Canal Dos"}));
    EXPECT_EQ(form->Combo1->currentText(), "anish");

    // A language no channel has: nothing listed, every language still offered.
    fixture.Store("TVLang", "Klingon");
    form->cmdTV_Click();
    EXPECT_EQ(form->ListView1->Rows().Count(), 0);
    EXPECT_EQ(Items(*form->Combo1), (QStringList{"All", "English", "Spanish"}));
}

TEST(Form1Browsing, PanelsSwitchWithoutTouchingTheChannelList) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", SampleCatalogue());
    auto form = fixture.MakeForm();
    form->cmdTV_Click();
    auto visible = [&form] {
        return QString("%1%2%3")
            .arg(form->Frame1->isHidden() ? '-' : '1')
            .arg(form->Frame3->isHidden() ? '-' : '3')
            .arg(form->Frame4->isHidden() ? '-' : '4');
    };
    EXPECT_EQ(visible(), "1--");
    form->cmdFavorites->click();
    EXPECT_EQ(visible(), "-3-");
    form->mnuCatItem[4]->trigger();
    EXPECT_EQ(visible(), "--4");
    EXPECT_EQ(form->ListView1->Rows().Count(), 2);

    fixture.WriteAppFile("Data.txt", EncodedLines({"Fresh|http://f.example|TV|English"}));
    form->mnuCatItem[0]->trigger();
    EXPECT_EQ(visible(), "1--");
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Fresh"}));
}

}  // namespace
}  // namespace quorvel
