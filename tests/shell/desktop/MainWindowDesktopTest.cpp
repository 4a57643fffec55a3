#include "LocalHttpServer.h"
#include "QtPrivateBus.h"
#include "QtTestProcess.h"
#include "ScopedEnv.h"
#include "ScopedHives.h"
#include "TempDir.h"
#include "appearance/InstanceLock.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/LineCodec.h"
#include "files/Windows1252.h"
#include "shell/Form1.h"
#include "shell/desktop/DesktopIntegration.h"
#include "shell/logos/ChannelLogos.h"
#include "shell/mpris/MprisService.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/StreamRecorder.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace quorvel {
namespace {

std::string Line(const std::string& plain) {
    return EncodeLine(Utf8ToWindows1252(plain)) + "\r\n";
}

// A minute of test picture with a tone: long enough to seek in, and something to look at.
std::string TestPatternVideo(const test::TempDir& dir) {
    QProcess ffmpeg;
    const QString out = QString::fromStdString((dir / "pattern.mp4").string());
    test::EndWithTest(ffmpeg);
    ffmpeg.start("ffmpeg",
                 {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25:duration=60",
                  "-f", "lavfi", "-i", "sine=frequency=440:duration=60", "-c:v", "mpeg4", "-q:v",
                  "6", "-c:a", "aac", "-shortest", out});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    std::ifstream in(out.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MainWindowOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon could not be started";
        // The single-instance lock of this test alone, so that tests in parallel never meet.
        std::filesystem::create_directory(dir / "runtime");
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
        runtime.Set("XDG_RUNTIME_DIR", (dir / "runtime").string());
        ReleaseInstanceLock();
        const std::string video = TestPatternVideo(dir);
        ASSERT_FALSE(video.empty()) << "ffmpeg could not make the test picture";
        server.Serve("/pattern.mp4", video, "video/mp4");
        std::string catalogue =
            Line("Test Pattern TV|" + server.Url("/pattern.mp4") + "|TV|English");
        for (const char* name : {"Harbour News", "Lakeside 24", "Mountain Weather", "Nordlicht TV"})
            catalogue += Line(std::string(name) + "|http://127.0.0.1:1/" + name + "|TV|English");
        dir.Write("app/Data.txt", catalogue);
        SetApplicationFolder(dir / "app");
        LoadProductInfo();

        Form1Options options;
        options.playerOptions.audioOutput = "null";
        form = new Form1(options);
        // As the program builds it: the playlists add their own controls to the window, and
        // logos show in its lists.
        playlists = new PlaylistsPanel(form, dir / "playlists");
        LogoFetcher::Options logoOptions;
        logoOptions.folder = dir / "logos";
        new ChannelLogos(form, logoOptions);
        form->SetMessagePresenter([](QWidget*, const QString&) {});
        player = form->WindowsMediaPlayer1;
        ASSERT_NE(player, nullptr);
        ASSERT_TRUE(form->Form_Load());
        service = StartDesktopIntegration(*form, bus.Connect("service"));
        form->resize(1000, 640);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        QApplication::setActiveWindow(form);
    }
    void TearDown() override {
        delete playlists;
        delete form;
        ReleaseInstanceLock();
        SetApplicationFolder({});
    }

    void Key(QWidget* target, Qt::Key key) {
        target->setFocus();
        QTest::keyClick(target, key);
    }

    test::ScopedEnv runtime;
    test::ScopedHives hives;
    test::TempDir dir;
    test::LocalHttpServer server;
    test::PrivateBus bus;
    Form1* form = nullptr;
    PlaylistsPanel* playlists = nullptr;
    MediaPlayer* player = nullptr;
    MprisService* service = nullptr;
};

TEST_F(MainWindowOnTheDesktop, KeysPlayAChannelAndDriveThePlayerWithoutTakingKeysFromControls) {
    ASSERT_NE(service, nullptr);
    MpvSession& session = player->engine().Session();
    ListView* list = form->ListView1;
    ASSERT_EQ(list->Rows().Count(), 5);

    // Enter on a row plays its channel; the desktop sees the channel's name.
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(started.wait(20000));
    EXPECT_EQ(service->Metadata().value("xesam:title").toString(), "Test Pattern TV");

    QSignalSpy paused(&session, &MpvSession::PauseChanged);
    Key(list, Qt::Key_Space);
    ASSERT_TRUE(paused.wait(20000));
    EXPECT_TRUE(paused.last().first().toBool());
    Key(list, Qt::Key_Space);
    ASSERT_TRUE(paused.wait(20000));
    EXPECT_FALSE(paused.last().first().toBool());

    // Typing in a text field keeps its letters; Up in the list moves in the list.
    QSignalSpy volume(&session, &MpvSession::VolumeChanged);
    QSignalSpy muted(&session, &MpvSession::MuteChanged);
    auto* field = qobject_cast<QComboBox*>(form->Combo1);
    field->setFocus();
    field->setEditText("");
    QTest::keyClicks(field, "fm ");
    EXPECT_EQ(field->currentText(), "fm ");
    EXPECT_FALSE(player->isFullScreen());
    Key(list, Qt::Key_Up);
    Key(form->cmdTV, Qt::Key_M);
    ASSERT_TRUE(muted.wait(20000));
    EXPECT_TRUE(player->mute());
    EXPECT_EQ(volume.count(), 0) << "Up in the list changed the volume";

    Key(form->cmdTV, Qt::Key_Up);
    ASSERT_TRUE(volume.wait(20000));
    EXPECT_EQ(player->volume(), 55);
    Key(form->cmdTV, Qt::Key_Down);
    ASSERT_TRUE(volume.wait(20000));
    EXPECT_EQ(player->volume(), 50);

    QSignalSpy position(&session, &MpvSession::PositionChanged);
    const double before = session.Position();
    Key(form->cmdTV, Qt::Key_Right);
    while (session.Position() < before + 9)
        ASSERT_TRUE(position.wait(20000)) << "Right did not seek forward";

    // Full screen is the picture alone; Escape and F each leave it.
    for (const Qt::Key leave : {Qt::Key_Escape, Qt::Key_F}) {
        Key(form->cmdTV, Qt::Key_F);
        EXPECT_TRUE(player->isFullScreen());
        EXPECT_FALSE(form->MenuBar()->isVisible());
        EXPECT_FALSE(player->controlBar()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), leave);
        EXPECT_FALSE(player->isFullScreen());
        EXPECT_TRUE(form->MenuBar()->isVisible());
        EXPECT_TRUE(player->controlBar()->isVisible());
    }
}

TEST_F(MainWindowOnTheDesktop, TabFollowsTheReadingOrderAndASecondStartRaisesIt) {
    // Playing, so that every control of the player's bar can take the focus.
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    form->ListView1->setCurrentIndex(form->ListView1->model()->index(0, 0));
    form->ListView1_ItemClick();
    ASSERT_TRUE(started.wait(20000));
    PlayerControlBar* bar = player->controlBar();
    QSignalSpy canRecord(&player->recorder(), &StreamRecorder::CanRecordChanged);
    while (!bar->RecordButton()->isEnabled())
        ASSERT_TRUE(canRecord.wait(20000));

    form->cmdTV->setFocus();
    QStringList order;
    for (int i = 0; i < 40 && QApplication::focusWidget(); ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == form->cmdTV)
            break;
    }
    EXPECT_EQ(order.join(' ').toStdString(),
              "cmdTV cmdRadio cmdVideo cmdFavorites cmdFiles cmdPlaylists cmdWebsite Combo1 "
              "txtSearch1 cboSearchScope ListView1 cmdFav playPause stop seek record mute volume");

    // A second start of the program finds this window's lock, raises it over the bus and
    // ends without a window of its own.
    form->showMinimized();
    ASSERT_TRUE(form->isMinimized());
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    QSignalSpy ended(&second, &QProcess::finished);
    test::EndWithTest(second);
    second.start(QUORVEL_BIN_DIR "/quorvel", {});
    ASSERT_TRUE(ended.wait(60000)) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_FALSE(form->isMinimized());

    // With an address or a file, a second start hands it over, a relative path made absolute.
    QStringList handed;
    service->SetOpenHandler([&](const QString& target) { handed << target; });
    dir.Write("list.m3u", "#EXTM3U\n");
    QProcess third;
    third.setProcessEnvironment(env);
    third.setWorkingDirectory(QString::fromStdString(dir.Path().string()));
    QSignalSpy thirdEnded(&third, &QProcess::finished);
    test::EndWithTest(third);
    third.start(QUORVEL_BIN_DIR "/quorvel", {"list.m3u"});
    ASSERT_TRUE(thirdEnded.wait(60000)) << "the third start did not end";
    EXPECT_EQ(handed, QStringList{QString::fromStdString((dir / "list.m3u").string())});

    EXPECT_FALSE(
        RaiseRunningInstance(QDBusConnection::connectToBus("unix:path=/nonexistent", "none")));
    QDBusConnection::disconnectFromBus("none");
}

// The picture in the README: the main window playing a channel.
TEST_F(MainWindowOnTheDesktop, ScreenshotOfAChannelPlaying) {
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    ListView* list = form->ListView1;
    list->setCurrentIndex(list->model()->index(0, 0));
    form->ListView1_ItemClick();
    ASSERT_TRUE(started.wait(20000));
    QSignalSpy drawn(player->videoWidget(), &MpvVideoWidget::frameSwapped);
    for (int frames = 0; frames < 10; ++frames) {
        ASSERT_TRUE(drawn.wait(20000));
    }

    QImage shot = form->grab().toImage();
    const QImage video = player->videoWidget()->grabFramebuffer();
    // The picture is a native window of its own, outside what the window paints.
    QPainter(&shot).drawImage(player->videoWidget()->mapTo(form, QPoint(0, 0)), video);
    // The test picture has colour bars: a picture that is all one colour was never drawn.
    const QRgb first = video.pixel(video.width() / 8, video.height() / 4);
    const QRgb other = video.pixel(video.width() * 7 / 8, video.height() / 4);
    EXPECT_NE(first, other) << "the video area shows no picture";
    if (const QByteArray path = qgetenv("QUORVEL_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(shot.save(QFile::decodeName(path)));
    }
}

// An installed copy: the shipped catalogue is listed, and favorites go to the user's folder.
TEST(InstalledMainWindow, ListsTheShippedCatalogueAndKeepsFavoritesInTheUsersFolder) {
    test::ScopedHives hives;
    test::TempDir dir;
    dir.Write("app/.installed", "");
    dir.Write("app/Data.txt", Line("Harbour News|http://127.0.0.1:1/a|TV|English") +
                                  Line("Lakeside 24|http://127.0.0.1:1/b|TV|English"));
    std::filesystem::create_directory(dir / "runtime");
    std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
    test::ScopedEnv env;
    env.Set("XDG_DATA_HOME", (dir / "data").string());
    env.Set("XDG_RUNTIME_DIR", (dir / "runtime").string());
    ReleaseInstanceLock();
    SetApplicationFolder(dir / "app");
    LoadProductInfo();
    Form1Options options;
    options.createPlayer = false;
    {
        Form1 form(options);
        form.SetMessagePresenter([](QWidget*, const QString&) {});
        ASSERT_TRUE(form.Form_Load());
        ASSERT_EQ(form.ListView1->Rows().Count(), 2);
        form.ListView1->Rows().Select(2);
        form.cmdFav_Click();
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "data" / "quorvel" / "Favorites.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "app" / "Favorites.txt"));
    {
        Form1 again(options);
        again.SetMessagePresenter([](QWidget*, const QString&) {});
        ASSERT_TRUE(again.Form_Load());
        ASSERT_EQ(again.ListView2->Rows().Count(), 1);
        EXPECT_EQ(again.ListView2->Rows().At(1).text, "Lakeside 24");
    }
    SetApplicationFolder({});
    ReleaseInstanceLock();
}

}  // namespace
}  // namespace quorvel
