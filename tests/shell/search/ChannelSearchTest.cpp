#include "../Form1Fixture.h"
#include "shell/search/ChannelSearch.h"
#include "shell/widgets/ListSearch.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

constexpr int kChannels = 100'000;

// Even channels English, odd German; every tenth is a "Caf\u00e9".
std::string BigCatalogue() {
    std::string bytes;
    bytes.reserve(kChannels * 48);
    for (int i = 0; i < kChannels; ++i) {
        const std::string name = (i % 10 == 0 ? "Caf\xE9 " : "Channel ") + std::to_string(i);
        bytes += EncodeLine(name + "|http://s/" + std::to_string(i) + "|TV|" +
                            (i % 2 ? "German" : "English"));
        bytes += "\r\n";
    }
    return bytes;
}

ChannelSearch* SearchOf(Form1& form) {
    return form.findChild<ChannelSearch*>();
}

int Shown(const Form1& form) {
    return form.ListView1->model()->rowCount();
}

std::vector<std::string> Row(const ListRow& row) {
    return {row.text, row.SubItem(1), row.SubItem(2), row.tag, row.logo};
}

TEST(ChannelSearch, ThisListNarrowsTheListedChannelsAndFollowsALanguageSwitch) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", BigCatalogue());
    auto form = fixture.MakeForm();
    ChannelSearch* search = SearchOf(*form);
    form->cmdTV_Click();
    ASSERT_EQ(Shown(*form), kChannels / 2);

    search->txtSearch1->setText("CAFE");
    EXPECT_EQ(Shown(*form), kChannels / 10);
    EXPECT_EQ(form->ListView1->model()->index(1, 0).data().toString(), "Caf\xC3\xA9 10");

    // The category's language list reloads the rows: the search applies to the new ones
    // and changes neither the language nor its stored setting.
    const int german = form->Combo1->findText("German");
    form->Combo1->setCurrentIndex(german);
    Q_EMIT form->Combo1->activated(german);
    EXPECT_EQ(form->State.CurrentLanguage, "German");
    EXPECT_EQ(Shown(*form), 0);  // the Cafés are all even
    search->txtSearch1->setText("channel 9999");
    EXPECT_EQ(Shown(*form), 6);  // 9999, 99991 .. 99999 odd
    EXPECT_EQ(fixture.Setting("TVLang"), "German");

    QTest::keyClick(search->txtSearch1, Qt::Key_Escape);
    EXPECT_EQ(Shown(*form), kChannels / 2);
    EXPECT_EQ(form->ListView1->model()->index(0, 0).data().toString(), "Channel 1");
    EXPECT_EQ(form->State.CurrentLanguage, "German");

    // Ctrl+F goes to the search box of the panel shown.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(search->txtSearch1->hasFocus());
    form->cmdFavorites_Click();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(search->txtSearch2->hasFocus());
}

TEST(ChannelSearch, EverythingRowsSayWhereEachChannelComesFrom) {
    const std::vector<CatalogueEntry> catalogue = {
        {"Kanali 7", "http://tv/7", "TV", "Albanian"},
        {"Night", "http://x/1", "XXX", "English"},
        {"Radio One", "http://radio/1", "Radio", "English"},
    };
    auto playlist = std::make_shared<Playlist>();
    PlaylistChannel channel;
    channel.name = "Kanali 7 \xE2\x93\x88";
    channel.address = "http://mine/7";
    channel.group = "News";
    channel.tvgLogo = "http://logo/7.png";
    playlist->channels.push_back(channel);
    const std::vector<NamedPlaylist> playlists = {{"My list", playlist}, {"Gone", nullptr}};

    std::vector<std::vector<std::string>> rows;
    for (const ListRow& row : EverythingRows(catalogue, playlists, AdultCategory::Left))
        rows.push_back(Row(row));
    const std::vector<std::vector<std::string>> expected = {
        {"Kanali 7", "TV", "Albanian", "http://tv/7", ""},
        {"Radio One", "Radio", "English", "http://radio/1", ""},
        {"Kanali 7 \xE2\x93\x88", "My list", "News", "http://mine/7", "http://logo/7.png"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(EverythingRows(catalogue, playlists, AdultCategory::Included).size(), 4u);
}

TEST(ChannelSearch, EverythingListsEveryCategoryAndPlaylistOverTheListAndPlaysAChoice) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", test::EncodedLines({"Kanali 7|http://tv/7|TV|English",
                                                         "Radio Kanal|http://radio/k|Radio|German",
                                                         "Other|http://tv/o|TV|English"}));
    auto form = fixture.MakeForm();
    ChannelSearch* search = SearchOf(*form);
    auto playlist = std::make_shared<Playlist>();
    PlaylistChannel channel;
    channel.name = "K\xC3\xA4nal Mine";
    channel.address = "http://mine/1";
    channel.group = "News";
    playlist->channels.push_back(channel);
    search->SetPlaylists([playlist] { return std::vector<NamedPlaylist>{{"My list", playlist}}; });
    form->show();
    form->cmdTV_Click();
    ASSERT_EQ(Shown(*form), 2);

    QSignalSpy listed(search, &ChannelSearch::EverythingListed);
    search->cboSearchScope->setCurrentIndex(ChannelSearch::Everything);
    EXPECT_FALSE(search->ResultsShown());  // nothing typed yet
    search->txtSearch1->setText("kanal");
    ASSERT_TRUE(listed.wait(10'000));
    EXPECT_EQ(listed.last().at(0).toInt(), 3);
    ASSERT_TRUE(search->ResultsShown());
    EXPECT_EQ(search->lstEverything->geometry(), form->ListView1->geometry());
    const ListRows& found = search->lstEverything->Rows();
    std::vector<std::string> from;
    for (int i = 1; i <= found.Count(); ++i)
        from.push_back(found.At(i).text + " / " + found.At(i).SubItem(1));
    EXPECT_EQ(from, (std::vector<std::string>{"Kanali 7 / TV", "Radio Kanal / Radio",
                                              "K\xC3\xA4nal Mine / My list"}));
    // The channel list under it stays as it was.
    EXPECT_EQ(Shown(*form), 2);

    // Typing on searches the same index; Enter on a result plays it.
    search->txtSearch1->setText("kanal m");
    EXPECT_EQ(listed.last().at(0).toInt(), 1);
    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    search->txtSearch1->setFocus();
    QTest::keyClick(search->txtSearch1, Qt::Key_Down);
    EXPECT_TRUE(search->lstEverything->hasFocus());
    QTest::keyClick(search->lstEverything, Qt::Key_Return);
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(played.last().at(0).toString(), "http://mine/1");
    // "Add to Favorites" takes the result chosen, by its address.
    form->cmdFav_Click();
    ASSERT_EQ(form->ListView2->Rows().Count(), 1);
    EXPECT_EQ(form->ListView2->Rows().At(1).tag, "http://mine/1");

    // Back to this list: the results go and the box narrows the channel list.
    search->cboSearchScope->setCurrentIndex(ChannelSearch::ThisList);
    EXPECT_FALSE(search->ResultsShown());
    EXPECT_EQ(Shown(*form), 0);
    search->txtSearch1->setText("kanal");
    EXPECT_EQ(Shown(*form), 1);
    EXPECT_FALSE(search->lstEverything->isVisible());
}

}  // namespace
}  // namespace quorvel
