#pragma once

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class QTimer;

class QWidget;

namespace quorvel {

class MediaPlayer;

// The player as the desktop's media keys and media widgets see it: an MPRIS 2 service on
// the session bus. Commands act on the player; its state goes out as property changes.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.quorvel";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    // Registers on `bus`; nullptr when there is no bus or the object cannot be registered,
    // and the program goes on without it. Lives as long as the player.
    static MprisService* Start(MediaPlayer& player, QWidget& window,
                               QDBusConnection bus = QDBusConnection::sessionBus());
    ~MprisService() override;

    // The channel that plays now: its name is the title the desktop shows.
    void SetChannel(const QString& name, const QString& url);
    // The title the stream itself announces (an artist and song, a programme); may be empty.
    void SetNowPlaying(const QString& title);

    QString BusName() const { return m_busName; }

    // What the adaptors ask and command.
    bool HasTrack() const;
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    double Volume() const;
    void SetVolume(double volume);
    qlonglong PositionMicroseconds() const;
    bool CanSeek() const;
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void SeekBy(qlonglong microseconds);
    void SeekTo(const QString& trackId, qlonglong microseconds);
    void OpenUri(const QString& uri);
    // Where OpenUri sends an address or local path instead of the player (a playlist is
    // read and shown before anything plays).
    void SetOpenHandler(std::function<void(const QString& addressOrPath)> open) {
        m_open = std::move(open);
    }
    void Raise();
    void Quit();

Q_SIGNALS:
    void Seeked(qlonglong microseconds);

private:
    MprisService(MediaPlayer& player, QWidget& window, QDBusConnection bus);
    bool Register();
    // Sends PropertiesChanged for every property that differs from what was last sent.
    void AnnounceSoon();
    void Announce();
    QVariantMap AnnouncedProperties() const;
    QString TrackId() const;

    QPointer<MediaPlayer> m_player;
    std::function<void(const QString&)> m_open;
    QPointer<QWidget> m_window;
    QDBusConnection m_bus;
    QObject* m_exported = nullptr;
    QTimer* m_announce = nullptr;
    QString m_busName;
    QString m_channelName;
    QString m_channelUrl;
    QString m_nowPlaying;
    int m_track = 0;
    QVariantMap m_sentPlayer;
};

}  // namespace quorvel
