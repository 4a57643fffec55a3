#include "LocalHttpServer.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "catalogue/LineCodec.h"
#include "shell/CatalogueWindow.h"
#include "shell/StartPlayer.h"
#include "shell/player/MediaPlayer.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

// A catalogue line as the file stores it.
std::string CatalogueLine(const std::string& plain) {
    return EncodeLine(plain) + "\r\n";
}

TEST(StartWindow, ClickingAChannelPlaysItAndClosingTheWindowStopsIt) {
    const std::string tone = test::TestMediaBytes(test::MediaKind::Wav);
    ASSERT_FALSE(tone.empty()) << "ffmpeg could not make the test tone";
    test::LocalHttpServer server;
    server.Serve("/tone.wav", tone, "audio/wav");

    test::TempDir folder;
    folder.Write("Data.txt", CatalogueLine("Test Tone|" + server.Url("/tone.wav") + "|TV|English") +
                                 CatalogueLine("Radio Tone|http://127.0.0.1:1/x|Radio|English"));

    CatalogueWindow window(folder.Path());
    QStringList messages;
    window.SetMessagePresenter([&](QWidget*, const QString& text) { messages << text; });
    SessionOptions options;
    options.audioOutput = "null";
    MediaPlayer* player = AttachPlayer(window, options);
    QStringList failures;
    player->setErrorPresenter(
        [&](const QString& url, const QString& reason) { failures << url + ": " + reason; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.LoadChannelList());
    ASSERT_EQ(window.ListView1->Rows().Count(), 1);

    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    ListView* list = window.ListView1;
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());

    ASSERT_TRUE(started.count() > 0 || started.wait(10000)) << failures.join("\n").toStdString();
    EXPECT_EQ(started.first().first().toString().toStdString(), server.Url("/tone.wav"));
    EXPECT_EQ(server.RequestCount("/tone.wav") > 0, true);
    EXPECT_TRUE(player->isActive());

    window.close();
    EXPECT_FALSE(player->isActive());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
}

}  // namespace
}  // namespace quorvel
