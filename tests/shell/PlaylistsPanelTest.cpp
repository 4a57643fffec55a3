#include "Form1Fixture.h"
#include "LocalHttpServer.h"
#include "TempDir.h"
#include "shell/playlists/PlaylistsDialog.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/search/ChannelSearch.h"
#include "shell/widgets/ListSearch.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolButton>

namespace quorvel {
namespace {

using test::Items;
using test::Names;

constexpr int kGuardMs = 15000;

const std::string kList =
    "#EXTM3U\n"
    "#EXTINF:-1 tvg-language=\"Shqip;English\" group-title=\"Lajme\",Kanali 7 \xE2\x93\x88\n"
    "#EXTVLCOPT:http-user-agent=Agent/7\n"
    "http://k7.example/live\n"
    "#EXTINF:-1 group-title=\"Muzik\",Radio\n"
    "http://r.example/\n";

TEST(PlaylistsPanel, OpenedPlaylistShowsItsChannelsPlaysTheFirstAndItsFavoritesOutliveIt) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt",
                         test::EncodedLines({"Zeta TV|http://z.example/live|TV|English"}));
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    PlaylistsPanel panel(form.get(), fixture.App() / "Playlists");
    QStringList told;
    panel.tell = [&](const QString& message) { told << message; };
    test::TempDir dir;
    const auto list = dir.Write("my list.m3u", kList);
    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    QSignalSpy opened(&panel, &PlaylistsPanel::Opened);

    panel.Open(QString::fromStdString(list.string()));
    ASSERT_TRUE(opened.wait(kGuardMs));
    EXPECT_EQ(opened[0][0].toInt(), 2);
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played[0][0].toString(), "http://k7.example/live");
    // Its user agent goes with that address only.
    EXPECT_EQ(form->RequestHeadersFor("http://k7.example/live").first, "Agent/7");
    EXPECT_EQ(form->RequestHeadersFor("http://r.example/").first, "");
    EXPECT_EQ(Names(form->ListView1->Rows()),
              (std::vector<std::string>{"Kanali 7 \xE2\x93\x88", "Radio"}));
    EXPECT_EQ(Items(*form->Combo1), (QStringList{"All", "Lajme", "Muzik", "English", "Shqip"}));
    EXPECT_EQ(Items(*panel.cboPlaylist), (QStringList{"All Playlists", "my list.m3u"}));
    EXPECT_TRUE(panel.cboPlaylist->isVisibleTo(form.get()));

    // The type box filters by group and by language.
    for (const auto& [type, names] :
         {std::pair<QString, std::vector<std::string>>{"Muzik", {"Radio"}},
          {"English", {"Kanali 7 \xE2\x93\x88"}}}) {
        form->Combo1->setCurrentIndex(form->Combo1->findText(type));
        form->Combo1_Click();
        EXPECT_EQ(Names(form->ListView1->Rows()), names) << type.toStdString();
    }
    form->ListView1->Rows().Select(1);
    form->cmdFav_Click();

    // "Everything": the catalogue's categories and every playlist, each result saying where
    // it comes from; "This list" brings back what was listed.
    auto* search = form->findChild<ChannelSearch*>();
    search->SetPlaylists([&panel] { return panel.ReadPlaylists(); });
    QSignalSpy listed(search, &ChannelSearch::EverythingListed);
    search->cboSearchScope->setCurrentIndex(ChannelSearch::Everything);
    search->txtSearch1->setText("a");
    ASSERT_TRUE(listed.wait(kGuardMs));
    std::vector<std::string> everywhere;
    for (int i = 1; i <= search->lstEverything->Rows().Count(); ++i) {
        const ListRow& row = search->lstEverything->Rows().At(i);
        everywhere.push_back(row.text + "@" + row.SubItem(1));
    }
    EXPECT_EQ(everywhere,
              (std::vector<std::string>{"Zeta TV@TV", "Kanali 7 \xE2\x93\x88@my list.m3u",
                                        "Radio@my list.m3u"}));
    // The results lie over the list, which stays as it is, all of it shown again after.
    const std::vector<std::string> listedBefore = Names(form->ListView1->Rows());
    search->cboSearchScope->setCurrentIndex(ChannelSearch::ThisList);
    search->txtSearch1->clear();
    EXPECT_FALSE(search->ResultsShown());
    EXPECT_EQ(Names(form->ListView1->Rows()), listedBefore);
    EXPECT_EQ(form->ListView1->model()->rowCount(), static_cast<int>(listedBefore.size()));

    // Another category takes the list and the type box back.
    form->cmdTV->click();
    EXPECT_FALSE(panel.cboPlaylist->isVisibleTo(form.get()));
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"Zeta TV"}));

    // The favorite refers to its address and plays with the playlist gone.
    std::filesystem::remove(list);
    form->ListView2->Rows().Select(1);
    form->ListView2_ItemClick();
    EXPECT_EQ(played.last()[0].toString(), "http://k7.example/live");
    EXPECT_TRUE(told.isEmpty()) << told.join('\n').toStdString();

    // What is not a playlist is said so, and nothing plays.
    const auto page = dir.Write("page.m3u", "<html><body>Please log in</body></html>");
    panel.Open(QString::fromStdString(page.string()));
    ASSERT_TRUE(opened.wait(kGuardMs));
    EXPECT_EQ(opened.last()[0].toInt(), -1);
    EXPECT_EQ(told.size(), 1);
}

TEST(PlaylistsPanel, KeptPlaylistsAreShownRenamedAndRemovedThroughTheDialog) {
    test::Form1Fixture fixture;
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    PlaylistsPanel panel(form.get(), fixture.App() / "Playlists");
    test::TempDir dir;
    const auto list = dir.Write("list.m3u", kList);
    QSignalSpy loaded(&panel, &PlaylistsPanel::Loaded);
    PlaylistsDialog dialog(panel, form.get());

    dialog.AddSource(QString::fromStdString(list.string()));
    ASSERT_TRUE(loaded.wait(kGuardMs));
    panel.cmdPlaylists_Click();
    EXPECT_EQ(Items(*panel.cboPlaylist), (QStringList{"All Playlists", "list.m3u"}));
    EXPECT_EQ(form->ListView1->Rows().Count(), 2);
    EXPECT_EQ(form->ListView1->Rows().At(1).SubItem(1), "list.m3u");

    dialog.RenameSelected(QString::fromUtf8("Meine Liste \xE2\x93\x88"));
    ASSERT_TRUE(loaded.wait(kGuardMs));
    EXPECT_EQ(Items(*panel.cboPlaylist),
              (QStringList{"All Playlists", QString::fromUtf8("Meine Liste \xE2\x93\x88")}));
    dialog.SetHours(6);
    EXPECT_EQ(panel.Store().Playlists().at(0).refreshSeconds, 6 * 3600);

    dialog.RemoveSelected();
    ASSERT_TRUE(loaded.wait(kGuardMs));
    EXPECT_EQ(dialog.lstPlaylists->count(), 0);
    EXPECT_EQ(form->ListView1->Rows().Count(), 0);
    EXPECT_EQ(Items(*panel.cboPlaylist), (QStringList{"All Playlists"}));

    // A playlist opened for this run stays chosen when the kept ones are read again.
    loaded.clear();
    QSignalSpy opened(&panel, &PlaylistsPanel::Opened);
    // Its own title names it.
    panel.Open(QString::fromStdString(dir.Write("run.m3u", "#PLAYLIST:Run\n" + kList).string()));
    ASSERT_TRUE(opened.wait(kGuardMs));
    EXPECT_EQ(panel.cboPlaylist->currentText(), "Run");
    dialog.AddSource(QString::fromStdString(list.string()));
    ASSERT_TRUE(loaded.wait(kGuardMs));
    EXPECT_EQ(Items(*panel.cboPlaylist), (QStringList{"All Playlists", "list.m3u", "Run"}));
    EXPECT_EQ(panel.cboPlaylist->currentText(), "Run");
    // Read once per change, never again by itself (an empty store was read on and on).
    EXPECT_EQ(loaded.size(), 1);
}

}  // namespace
}  // namespace quorvel
