#include "Form1Fixture.h"
#include "StreamServer.h"
#include "catalogue/CatalogueRows.h"
#include "m3u/M3uParser.h"
#include "shell/Form1Extras.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

using test::StreamServer;

Form1Extras* ExtrasOf(Form1& form) {
    return form.findChild<Form1Extras*>();
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
