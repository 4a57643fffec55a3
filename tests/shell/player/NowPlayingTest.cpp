// Titles that internet radio sends inside its stream (ICY metadata), from a server made
// here: an endless MP3 stream with a title block after every 4,096 bytes of sound.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/PlayerStatusPanel.h"

#include "PlayerTestUtil.h"
#include "ScopedEnv.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QSignalSpy>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace quorvel {
namespace {

constexpr std::size_t kMetaInterval = 4096;

class IcyServer {
public:
    explicit IcyServer(std::string title) : m_title(std::move(title)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        ::listen(m_listen, 4);
        m_thread = std::thread([this] { Serve(); });
    }
    ~IcyServer() {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_thread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/radio"; }
    int Connections() const { return m_connections; }

private:
    void Serve() {
        const std::string sound = test::TestMediaBytes(test::MediaKind::Mp3);
        while (!m_stop) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                return;
            ++m_connections;
            char head[4096];
            if (::recv(fd, head, sizeof(head), 0) <= 0) {
                ::close(fd);
                continue;
            }
            std::string out = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-metaint: " +
                              std::to_string(kMetaInterval) + "\r\n\r\n";
            std::string meta = "StreamTitle='" + m_title + "';";
            meta.resize((meta.size() + 15) / 16 * 16, '\0');
            // Sound and titles without end, until the player goes away.
            for (std::size_t at = 0; !m_stop; at += kMetaInterval) {
                for (std::size_t i = 0; i < kMetaInterval; ++i)
                    out += sound[(at + i) % sound.size()];
                out += static_cast<char>(meta.size() / 16);
                out += meta;
                if (::send(fd, out.data(), out.size(), MSG_NOSIGNAL) < 0)
                    break;
                out.clear();
            }
            ::close(fd);
        }
    }

    std::string m_title;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

TEST(NowPlaying, IcyTitlesReachTheBarTheSignalAndTheHistoryAsPlainText) {
    const std::string title = "Artist <b>Bold</b> - Song";
    IcyServer server(title);
    SessionOptions options;
    options.audioOutput = "null";
    MediaPlayer player(nullptr, options);
    player.resize(320, 240);
    player.show();
    QSignalSpy titles(&player, &MediaPlayer::nowPlayingChanged);
    QSignalSpy started(&player, &MediaPlayer::playbackStarted);
    player.setChannelName("Harbour <i>Radio</i>");
    player.setUrl(QString::fromStdString(server.Url()));
    while (titles.isEmpty() || titles.last().at(0).toString().isEmpty())
        ASSERT_TRUE(titles.wait(15000)) << "no title came";
    if (started.isEmpty()) {
        ASSERT_TRUE(started.wait(15000));
    }
    EXPECT_EQ(player.nowPlaying().toStdString(), title);
    // Sound alone: the picture area tells what plays.
    EXPECT_TRUE(player.statusPanel()->isVisible());
    EXPECT_EQ(player.statusPanel()->Lines(),
              (QStringList{"Harbour <i>Radio</i>", QString::fromStdString(title)}));
    // A logo fits its place and stays with its channel only.
    QImage logo(400, 200, QImage::Format_RGB32);
    logo.fill(Qt::red);
    player.setLogo(logo);
    QLabel* logoLabel = player.statusPanel()->LogoLabel();
    EXPECT_TRUE(logoLabel->isVisible());
    EXPECT_EQ(logoLabel->pixmap().size(), QSize(96, 48));
    QLabel* label = player.controlBar()->TitleLabel();
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text().toStdString(), title);
    ASSERT_EQ(player.titleHistory().size(), 1);
    EXPECT_TRUE(player.titleHistory().front().endsWith(QString::fromStdString(title)));

    // Stopped, the title goes; the history stays to be copied.
    QSignalSpy ended(&player, &MediaPlayer::playbackEnded);
    player.stop();
    while (!player.nowPlaying().isEmpty())
        ASSERT_TRUE(titles.wait(5000));
    EXPECT_FALSE(label->isVisible());
    EXPECT_EQ(player.titleHistory().size(), 1);
    player.setUrl(QString::fromStdString(server.Url()));
    EXPECT_TRUE(logoLabel->isHidden());
}

// A sound device that cannot be opened: ALSA told to read a configuration that names none.
TEST(NowPlaying, WithoutASoundOutputRadioPlaysOnSilentlySaysSoAndAsksTheServerOnce) {
    test::TempDir dir;
    test::ScopedEnv env("ALSA_CONFIG_PATH", dir.Write("asound.conf", "").c_str());
    IcyServer server("Song");
    SessionOptions options;
    options.audioOutput = "alsa";
    MediaPlayer player(nullptr, options);
    player.resize(320, 240);
    player.show();
    player.setChannelName("Silent Radio");
    player.setUrl(QString::fromStdString(server.Url()));
    MpvSession& session = player.engine().Session();
    // Seconds of playing: a player that took the missing device for a drop would have
    // closed the stream and opened it again by now.
    ASSERT_TRUE(test::WaitForPosition(session, 2.5));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_TRUE(session.SoundUnavailable());
    EXPECT_FALSE(player.engine().IsReconnecting());
    EXPECT_TRUE(player.statusPanel()->isVisible());
    EXPECT_EQ(player.statusPanel()->Lines(),
              (QStringList{"Silent Radio", "No sound output is available.", "Song"}));
}

}  // namespace
}  // namespace quorvel
