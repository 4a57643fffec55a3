#include "LocalHttpServer.h"
#include "ScopedHives.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/LineCodec.h"
#include "shell/Form1.h"
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

TEST(MainWindow, ClickingAChannelPlaysItAndClosingTheWindowStopsIt) {
    const std::string tone = test::TestMediaBytes(test::MediaKind::Wav);
    ASSERT_FALSE(tone.empty()) << "ffmpeg could not make the test tone";
    test::LocalHttpServer server;
    server.Serve("/tone.wav", tone, "audio/wav");

    test::ScopedHives hives;
    test::TempDir folder;
    folder.Write("Data.txt", CatalogueLine("Test Tone|" + server.Url("/tone.wav") + "|TV|English") +
                                 CatalogueLine("Radio Tone|http://127.0.0.1:1/x|Radio|English"));
    SetApplicationFolder(folder.Path());
    LoadProductInfo();

    Form1Options options;
    options.playerOptions.audioOutput = "null";
    auto* form = new Form1(options);
    QStringList messages;
    form->SetMessagePresenter([&](QWidget*, const QString& text) { messages << text; });
    MediaPlayer* player = form->WindowsMediaPlayer1;
    ASSERT_NE(player, nullptr);
    QStringList failures;
    player->setErrorPresenter(
        [&](const QString& url, const QString& reason) { failures << url + ": " + reason; });
    ASSERT_TRUE(form->Form_Load());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    ASSERT_EQ(form->ListView1->Rows().Count(), 1);

    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    ListView* list = form->ListView1;
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());

    ASSERT_TRUE(started.count() > 0 || started.wait(10000)) << failures.join("\n").toStdString();
    EXPECT_EQ(started.first().first().toString().toStdString(), server.Url("/tone.wav"));
    EXPECT_TRUE(player->isActive());

    QSignalSpy gone(form, &QObject::destroyed);
    form->close();
    EXPECT_FALSE(player->isActive());
    EXPECT_TRUE(gone.wait(10000)) << "closing the main window unloads it";
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    SetApplicationFolder({});
}

}  // namespace
}  // namespace quorvel
