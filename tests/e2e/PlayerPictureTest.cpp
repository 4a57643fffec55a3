// The picture is a native window of its own, drawn apart from the widgets around it: the
// clicks a user makes on it must still reach the player, widgets stacked above it must stay
// visible, and it must draw again after the player was hidden.
#include "DesktopDriver.h"
#include "TestMedia.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerEngine.h"

#include <gtest/gtest.h>

#include <QtGui/qguiapplication_platform.h>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quorvel {
namespace {

constexpr int kGuardMs = 10000;

bool ShowsAPicture(const QImage& image) {
    // The test picture has colour bars; black or one colour means nothing was drawn.
    return !image.isNull() && image.pixel(image.width() / 8, image.height() / 4) !=
                                  image.pixel(image.width() * 7 / 8, image.height() / 4);
}

// What the X server shows at a point of the window, once it has done all the program asked.
QRgb PixelOnScreen(QWidget& window, QPoint point) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11->display();
    XSync(display, False);
    XImage* image =
        XGetImage(display, window.winId(), point.x(), point.y(), 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return QRgb(pixel & 0xFFFFFF);
}

TEST(PlayerPicture, ClicksReachThePlayerPanelsAboveStayVisibleAndItDrawsAgainAfterHiding) {
    const auto mp4 = test::TestMediaFile(test::MediaKind::Mp4);
    ASSERT_FALSE(mp4.empty()) << "ffmpeg could not make the test video";
    test::DesktopDriver driver;
    ASSERT_TRUE(driver.Ready()) << "no X display with XTEST";

    SessionOptions options;
    options.audioOutput = "null";
    QWidget window;
    window.resize(480, 360);
    auto* player = new MediaPlayer(&window, options);
    player->setGeometry(10, 10, 320, 240);
    QStringList failures;
    player->setErrorPresenter(
        [&](const QString& url, const QString& reason) { failures << url + ": " + reason; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    MpvVideoWidget* video = player->videoWidget();
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    QSignalSpy swapped(video, &MpvVideoWidget::frameSwapped);
    player->setUrl(QString::fromStdString(mp4.string()));
    ASSERT_TRUE(started.wait(kGuardMs)) << failures.join("\n").toStdString();
    // Held still, so the picture outlasts the clicks below.
    player->pause();
    ASSERT_TRUE(swapped.count() > 0 || swapped.wait(kGuardMs));
    EXPECT_TRUE(ShowsAPicture(video->grabFramebuffer()));

    const auto clickVideo = [&](int button, int count) {
        const QPoint centre = video->mapTo(&window, video->rect().center());
        driver.Click(window.winId(), centre.x(), centre.y(), button, count);
    };
    QSignalSpy doubleClicked(video, &MpvVideoWidget::DoubleClicked);
    clickVideo(1, 2);
    ASSERT_TRUE(doubleClicked.wait(kGuardMs)) << "the double click did not pass the picture";
    EXPECT_TRUE(player->isFullScreen());

    QSignalSpy menuShown(player->contextMenu(), &QMenu::aboutToShow);
    clickVideo(3, 1);
    ASSERT_TRUE(menuShown.wait(kGuardMs)) << "the right click did not pass the picture";
    player->contextMenu()->close();
    player->setFullScreen(false);

    // A panel shown over part of the picture stays visible; gone, the picture is back.
    QWidget cover(&window);
    cover.setAutoFillBackground(true);
    cover.setPalette(QColor(12, 34, 56));
    cover.setGeometry(QRect(video->mapTo(&window, QPoint(0, 0)), QSize(100, 80)));
    const QPoint underCover = cover.geometry().center();
    cover.show();
    QCoreApplication::sendPostedEvents();
    cover.repaint();
    EXPECT_EQ(PixelOnScreen(window, underCover), QColor(12, 34, 56).rgb() & 0xFFFFFF);
    swapped.clear();
    cover.hide();
    ASSERT_TRUE(swapped.wait(kGuardMs)) << "the uncovered picture was not drawn again";
    EXPECT_NE(PixelOnScreen(window, underCover), QColor(12, 34, 56).rgb() & 0xFFFFFF);

    player->hide();
    const quint64 frames = video->FramesDrawn();
    swapped.clear();
    player->show();
    ASSERT_TRUE(swapped.wait(kGuardMs)) << "nothing was drawn after the player came back";
    EXPECT_GT(video->FramesDrawn(), frames);
    EXPECT_TRUE(ShowsAPicture(video->grabFramebuffer()));
}

}  // namespace
}  // namespace quorvel
