// Hardware decoding: on by default, switched by the player's property, and silent on machines
// that lack one of the graphics drivers the engine knows.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerEngine.h"

#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace quorvel {
namespace {

// Everything written to the process's stderr while it lives, the engine's libraries included.
class StderrCapture {
public:
    explicit StderrCapture(const std::filesystem::path& file)
        : m_file(file), m_saved(::dup(STDERR_FILENO)) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrCapture() { Restore(); }
    std::string Text() {
        Restore();
        std::ifstream in(m_file);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    void Restore() {
        if (m_saved < 0)
            return;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    std::filesystem::path m_file;
    int m_saved = -1;
};

TEST(HardwareDecoding, IsSwitchedByThePlayerAndProbesNothingThatPrintsToTheTerminal) {
    const auto mp4 = test::TestMediaFile(test::MediaKind::Mp4);
    ASSERT_FALSE(mp4.empty());
    test::TempDir dir;
    StderrCapture capture(dir.Path() / "stderr.txt");
    {
        SessionOptions options;
        options.audioOutput = "null";
        QWidget window;
        window.resize(400, 300);
        auto* player = new MediaPlayer(&window, options);
        player->setGeometry(0, 0, 320, 240);
        player->setErrorPresenter([](const QString&, const QString&) {});
        test::MpvWatch watch(player->engine().Session().Handle(), {"hwdec"});
        window.show();
        QSignalSpy started(player, &MediaPlayer::playbackStarted);
        QSignalSpy swapped(player->videoWidget(), &MpvVideoWidget::frameSwapped);
        player->setUrl(QString::fromStdString(mp4.string()));
        ASSERT_TRUE(started.wait(test::kGuardMs));
        ASSERT_TRUE(swapped.count() > 0 || swapped.wait(test::kGuardMs));

        EXPECT_TRUE(player->hardwareDecoding());
        EXPECT_TRUE(watch.WaitFor("hwdec", MpvSession::HardwareDecoder()));
        player->setHardwareDecoding(false);
        EXPECT_TRUE(watch.WaitFor("hwdec", "no"));
        player->setHardwareDecoding(true);
        EXPECT_TRUE(watch.WaitFor("hwdec", MpvSession::HardwareDecoder()));
    }
    const std::string printed = capture.Text();
    EXPECT_EQ(printed.find("libcuda"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("VDPAU"), std::string::npos) << printed;
}

}  // namespace
}  // namespace quorvel
