#include "shell/mpris/MprisAdaptors.h"

#include "appearance/ProductInfo.h"
#include "shell/mpris/MprisService.h"

#ifndef QUORVEL_APP_ID
#define QUORVEL_APP_ID "quorvel"
#endif

namespace quorvel {

MprisRootAdaptor::MprisRootAdaptor(QObject* exported, MprisService& service)
    : QDBusAbstractAdaptor(exported), m_service(service) {}

QString MprisRootAdaptor::Identity() const {
    return QString::fromStdString(Branding().ProgramName);
}

QString MprisRootAdaptor::DesktopEntry() const {
    return QStringLiteral(QUORVEL_APP_ID);
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
    return {"http", "https", "mms", "mmsh", "mmst", "rtsp", "rtmp", "rtp", "udp", "file"};
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {"audio/mpeg",     "audio/aac",       "audio/ogg",      "audio/x-wav",
            "audio/x-ms-wma", "audio/x-mpegurl", "audio/x-scpls",  "application/vnd.apple.mpegurl",
            "video/mp4",      "video/mp2t",      "video/x-ms-wmv", "video/x-ms-asf"};
}

void MprisRootAdaptor::Raise() {
    m_service.Raise();
}

void MprisRootAdaptor::Quit() {
    m_service.Quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* exported, MprisService& service)
    : QDBusAbstractAdaptor(exported), m_service(service) {
    connect(&service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return m_service.PlaybackStatus();
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
    return m_service.Metadata();
}

double MprisPlayerAdaptor::Volume() const {
    return m_service.Volume();
}

void MprisPlayerAdaptor::SetVolume(double volume) {
    m_service.SetVolume(volume);
}

qlonglong MprisPlayerAdaptor::Position() const {
    return m_service.PositionMicroseconds();
}

bool MprisPlayerAdaptor::CanPlay() const {
    return m_service.HasTrack();
}

bool MprisPlayerAdaptor::CanPause() const {
    return m_service.PlaybackStatus() != QLatin1String("Stopped");
}

bool MprisPlayerAdaptor::CanSeek() const {
    return m_service.CanSeek();
}

void MprisPlayerAdaptor::Pause() {
    m_service.Pause();
}

void MprisPlayerAdaptor::PlayPause() {
    m_service.PlayPause();
}

void MprisPlayerAdaptor::Stop() {
    m_service.Stop();
}

void MprisPlayerAdaptor::Play() {
    m_service.Play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    m_service.SeekBy(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    m_service.SeekTo(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    m_service.OpenUri(uri);
}

}  // namespace quorvel
