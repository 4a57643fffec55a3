#include "Form1Fixture.h"
#include "StreamServer.h"
#include "catalogue/CatalogueRows.h"
#include "m3u/M3uParser.h"
#include "shell/Form1Extras.h"
#include "shell/widgets/ListSearch.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

using test::StreamServer;

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

Form1Extras* ExtrasOf(Form1& form) {
    return form.findChild<Form1Extras*>();
}

int Shown(const Form1& form) {
    return form.ListView1->model()->rowCount();
}

TEST(Form1Extras, SearchNarrowsTheListedChannelsAndFollowsALanguageSwitch) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", BigCatalogue());
    auto form = fixture.MakeForm();
    Form1Extras* extras = ExtrasOf(*form);
    form->cmdTV_Click();
    ASSERT_EQ(Shown(*form), kChannels / 2);

    extras->txtSearch1->setText("CAFE");
    EXPECT_EQ(Shown(*form), kChannels / 10);
    EXPECT_EQ(form->ListView1->model()->index(1, 0).data().toString(), "Caf\xC3\xA9 10");

    // The category's language list reloads the rows: the search applies to the new ones
    // and changes neither the language nor its stored setting.
    const int german = form->Combo1->findText("German");
    form->Combo1->setCurrentIndex(german);
    Q_EMIT form->Combo1->activated(german);
    EXPECT_EQ(form->State.CurrentLanguage, "German");
    EXPECT_EQ(Shown(*form), 0);  // the Cafés are all even
    extras->txtSearch1->setText("channel 9999");
    EXPECT_EQ(Shown(*form), 6);  // 9999, 99991 .. 99999 odd
    EXPECT_EQ(fixture.Setting("TVLang"), "German");

    QTest::keyClick(extras->txtSearch1, Qt::Key_Escape);
    EXPECT_EQ(Shown(*form), kChannels / 2);
    EXPECT_EQ(form->ListView1->model()->index(0, 0).data().toString(), "Channel 1");
    EXPECT_EQ(form->State.CurrentLanguage, "German");

    // Ctrl+F goes to the search box of the panel shown.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(extras->txtSearch1->hasFocus());
    form->cmdFavorites_Click();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(extras->txtSearch2->hasFocus());
}

TEST(Form1Extras, CheckStreamsMarksDeadRowsAndRemovesThemWhenAsked) {
    test::Form1Fixture fixture;
    StreamServer server;
    server.Answer("/live", StreamServer::Response(200, "audio/mpeg", "ID3"),
                  StreamServer::Ending::KeepOpen);
    auto form = fixture.MakeForm();
    Form1Extras* extras = ExtrasOf(*form);
    extras->checkOptions = {4, 30'000, 5};
    ListRows& rows = form->ListView1->Rows();
    rows.AddColumn("URL", 1440);
    rows.Add(MakeCatalogueRow("Live", server.Url("/live"), "Radio", "English"));
    rows.Add(MakeCatalogueRow("Gone", server.Url("/gone"), "TV", "English"));
    rows.Add(MakeCatalogueRow(
        "Down", "http://127.0.0.1:" + std::to_string(StreamServer::RefusingPort()) + "/", "TV",
        ""));

    QStringList questions;
    bool answer = false;
    extras->confirm = [&](const QString& question) {
        questions << question;
        return answer;
    };
    QSignalSpy finished(extras, &Form1Extras::CheckFinished);
    extras->cmdCheckStreams->click();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(finished.takeFirst().at(0).toInt(), 2);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith("2 channels did not answer"));
    // Kept, but marked with the reason.
    ASSERT_EQ(rows.Count(), 3);
    const QAbstractItemModel* model = form->ListView1->model();
    EXPECT_FALSE(model->index(0, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model->index(1, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model->index(1, 0).data(Qt::ToolTipRole).toString().contains("HTTP error 404"));

    answer = true;
    extras->cmdCheckStreams->click();
    ASSERT_TRUE(finished.wait(60'000));
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.At(1).text, "Live");
}

TEST(Form1Extras, ImportM3uAppendsThePlaylistsChannels) {
    test::Form1Fixture fixture;
    test::TempDir dir;
    const auto playlist = dir.Write("list.m3u",
                                    "#EXTM3U\r\n#EXTINF:-1 tvg-language=\"French\","
                                    "Jazz\r\nhttp://jazz/\r\nhttp://bare/\r\n");
    auto form = fixture.MakeForm();
    Form1Extras* extras = ExtrasOf(*form);
    form->ListView1->Rows().Add(MakeCatalogueRow("Before", "http://before/", "TV", ""));
    form->txtType->setText("Radio");
    QString next = QString::fromStdString(playlist.string());
    extras->chooseFile = [&] { return next; };
    QStringList told;
    extras->tell = [&](const QString& message) { told << message; };

    QSignalSpy finished(extras, &Form1Extras::ImportFinished);
    extras->cmdImportM3U->click();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(finished.takeFirst().at(0).toInt(), 2);
    const ListRows& rows = form->ListView1->Rows();
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.At(2).text, "Jazz");
    EXPECT_EQ(RowField(rows.At(2), ChannelField::Category), "Radio");
    EXPECT_EQ(RowField(rows.At(2), ChannelField::Type), "French");
    EXPECT_EQ(RowField(rows.At(3), ChannelField::Url), "http://bare/");

    next = QString::fromStdString((dir / "missing.m3u").string());
    extras->cmdImportM3U->click();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(finished.takeFirst().at(0).toInt(), -1);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("missing.m3u"));
    EXPECT_EQ(rows.Count(), 3);

    // A playlist too large to hold comes back from the worker as a message.
    std::string huge;
    for (std::size_t i = 0; i <= kMaxM3uEntries; ++i)
        huge += "http://h/\n";
    next = QString::fromStdString(dir.Write("huge.m3u", huge).string());
    extras->cmdImportM3U->click();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(finished.takeFirst().at(0).toInt(), -1);
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].contains("huge.m3u: more than"));
    EXPECT_EQ(rows.Count(), 3);
}

}  // namespace
}  // namespace quorvel
