#include "shell/mpris/MprisService.h"

#include "shell/mpris/MprisAdaptors.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr double kMicroseconds = 1e6;

MpvSession& SessionOf(MediaPlayer& player) {
    return player.engine().Session();
}

// A readable title for an address nobody named: its file name, else the address itself.
QString TitleOfAddress(const QString& address) {
    const QString name = QUrl(address).fileName();
    return name.isEmpty() ? address : name;
}

}  // namespace

MprisService* MprisService::Start(MediaPlayer& player, QWidget& window, QDBusConnection bus) {
    if (!bus.isConnected())
        return nullptr;
    auto* service = new MprisService(player, window, bus);
    if (!service->Register()) {
        delete service;
        return nullptr;
    }
    return service;
}

MprisService::MprisService(MediaPlayer& player, QWidget& window, QDBusConnection bus)
    : QObject(&player), m_player(&player), m_window(&window), m_bus(std::move(bus)) {
    m_announce = new QTimer(this);
    m_announce->setSingleShot(true);
    m_announce->setInterval(0);
    connect(m_announce, &QTimer::timeout, this, &MprisService::Announce);

    MpvSession& session = SessionOf(player);
    for (auto signal : {&MpvSession::Started, &MpvSession::Ended})
        connect(&session, signal, this, &MprisService::AnnounceSoon);
    connect(&session, &MpvSession::PauseChanged, this, &MprisService::AnnounceSoon);
    connect(&session, &MpvSession::VolumeChanged, this, &MprisService::AnnounceSoon);
    connect(&session, &MpvSession::DurationChanged, this, &MprisService::AnnounceSoon);
    connect(&player.engine(), &PlayerEngine::Started, this, &MprisService::AnnounceSoon);
    connect(&player.engine(), &PlayerEngine::Failed, this, &MprisService::AnnounceSoon);
    connect(&player.engine(), &PlayerEngine::Ended, this, &MprisService::AnnounceSoon);
}

MprisService::~MprisService() {
    if (m_exported) {
        m_bus.unregisterObject(kObjectPath);
        if (!m_busName.isEmpty())
            m_bus.unregisterService(m_busName);
    }
}

bool MprisService::Register() {
    m_exported = new QObject(this);
    new MprisRootAdaptor(m_exported, *this);
    new MprisPlayerAdaptor(m_exported, *this);
    if (!m_bus.registerObject(kObjectPath, m_exported, QDBusConnection::ExportAdaptors))
        return false;
    // A second copy (another user session on the same bus, a test) takes a name of its own.
    const QString instanceName = QStringLiteral("%1.instance%2")
                                     .arg(QLatin1String(kServiceName))
                                     .arg(QCoreApplication::applicationPid());
    for (const QString& name : {QString::fromLatin1(kServiceName), instanceName}) {
        if (m_bus.registerService(name)) {
            m_busName = name;
            break;
        }
    }
    if (m_busName.isEmpty()) {
        m_bus.unregisterObject(kObjectPath);
        return false;
    }
    m_sentPlayer = AnnouncedProperties();
    return true;
}

void MprisService::SetChannel(const QString& name, const QString& url) {
    m_channelName = name;
    m_channelUrl = url;
    m_nowPlaying.clear();
    ++m_track;
    AnnounceSoon();
}

void MprisService::SetNowPlaying(const QString& title) {
    if (title == m_nowPlaying)
        return;
    m_nowPlaying = title;
    AnnounceSoon();
}

bool MprisService::HasTrack() const {
    return m_player && !m_player->url().isEmpty();
}

QString MprisService::PlaybackStatus() const {
    if (!m_player || !m_player->isActive())
        return QStringLiteral("Stopped");
    return SessionOf(*m_player).Paused() ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString MprisService::TrackId() const {
    if (!HasTrack())
        return QString::fromLatin1(kNoTrack);
    return QStringLiteral("/org/mpris/MediaPlayer2/Track/%1").arg(m_track);
}

QVariantMap MprisService::Metadata() const {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(TrackId())));
    if (!HasTrack())
        return metadata;
    const QString url = m_player->url();
    const bool named = url == m_channelUrl && !m_channelName.isEmpty();
    metadata.insert(QStringLiteral("xesam:title"), named ? m_channelName : TitleOfAddress(url));
    metadata.insert(QStringLiteral("xesam:url"), url);
    // Desktop widgets show the artist line under the title: the stream's own title fits there.
    if (named && !m_nowPlaying.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{m_nowPlaying});
    const double duration = SessionOf(*m_player).Duration();
    if (duration > 0 && std::isfinite(duration))
        metadata.insert(QStringLiteral("mpris:length"),
                        static_cast<qlonglong>(std::llround(duration * kMicroseconds)));
    return metadata;
}

double MprisService::Volume() const {
    return m_player ? m_player->volume() / 100.0 : 0.0;
}

void MprisService::SetVolume(double volume) {
    if (!m_player || !std::isfinite(volume))
        return;
    m_player->setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

qlonglong MprisService::PositionMicroseconds() const {
    if (!m_player || !m_player->isActive())
        return 0;
    return static_cast<qlonglong>(std::llround(SessionOf(*m_player).Position() * kMicroseconds));
}

bool MprisService::CanSeek() const {
    return m_player && m_player->isActive() && SessionOf(*m_player).Duration() > 0;
}

void MprisService::Play() {
    if (m_player)
        m_player->play();
}

void MprisService::Pause() {
    if (m_player && m_player->isActive())
        m_player->pause();
}

void MprisService::PlayPause() {
    if (PlaybackStatus() == QLatin1String("Playing")) {
        Pause();
    } else {
        Play();
    }
}

void MprisService::Stop() {
    if (m_player)
        m_player->stop();
}

void MprisService::SeekBy(qlonglong microseconds) {
    if (!CanSeek())
        return;
    const double target =
        std::max(0.0, SessionOf(*m_player).Position() + microseconds / kMicroseconds);
    // Past the end would mean the next track, and there is none.
    if (target > SessionOf(*m_player).Duration())
        return;
    SessionOf(*m_player).Seek(target);
    Q_EMIT Seeked(static_cast<qlonglong>(std::llround(target * kMicroseconds)));
}

void MprisService::SeekTo(const QString& trackId, qlonglong microseconds) {
    // A request for a track that no longer plays is stale and ignored.
    if (!CanSeek() || trackId != TrackId() || microseconds < 0)
        return;
    const double target = microseconds / kMicroseconds;
    if (target > SessionOf(*m_player).Duration())
        return;
    SessionOf(*m_player).Seek(target);
    Q_EMIT Seeked(microseconds);
}

void MprisService::OpenUri(const QString& uri) {
    if (!m_player)
        return;
    const QUrl url(uri);
    const QString target = url.isLocalFile() ? url.toLocalFile() : uri;
    if (m_open) {
        m_open(target);
        return;
    }
    // The player's own address check still decides what may be opened.
    m_player->setUrl(target);
    ++m_track;
    AnnounceSoon();
}

void MprisService::Raise() {
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void MprisService::Quit() {
    if (m_window)
        m_window->close();
}

void MprisService::AnnounceSoon() {
    m_announce->start();
}

QVariantMap MprisService::AnnouncedProperties() const {
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("Volume"), Volume()},
        {QStringLiteral("CanPlay"), HasTrack()},
        {QStringLiteral("CanPause"), PlaybackStatus() != QLatin1String("Stopped")},
        {QStringLiteral("CanSeek"), CanSeek()},
    };
}

void MprisService::Announce() {
    const QVariantMap now = AnnouncedProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (m_sentPlayer.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_sentPlayer = now;
    if (changed.isEmpty())
        return;
    QDBusMessage message =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    message << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    m_bus.send(message);
}

}  // namespace quorvel
