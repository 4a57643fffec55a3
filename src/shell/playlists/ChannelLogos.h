#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <filesystem>
#include <optional>

namespace quorvel {

// Channel logos for the list rows: asked for when a row is drawn, fetched a few at once at
// the lowest priority through the logo cache's policy, decoded off the GUI thread within
// limits, scaled once and kept in the cache folder. A row whose logo has not come (or never
// comes) stays as it is; nothing waits for a logo.
class ChannelLogos : public QObject {
    Q_OBJECT
public:
    explicit ChannelLogos(std::filesystem::path cacheFolder, QObject* parent = nullptr);
    ~ChannelLogos() override;

    // The logo's picture when it is at hand; otherwise it is asked for (once a run) and a
    // null icon comes back.
    QIcon Icon(const QString& address);
    // The same logo as a picture (at most kSide a side), for beside what plays.
    QImage Picture(const QString& address);

    // A logo's bytes as a picture of at most kSide pixels a side: nothing for what is not an
    // image, or one whose size is not told or is too large to decode safely.
    static std::optional<QImage> Decode(const QByteArray& bytes);
    static constexpr int kSide = 64;

Q_SIGNALS:
    void LogoReady(const QString& address);

private:
    void Arrived(const QString& address, const QImage& image);

    std::filesystem::path m_folder;
    QHash<QString, QIcon> m_icons;
    QHash<QString, QImage> m_images;
    QSet<QString> m_asked;
    QThreadPool m_pool;
    std::atomic<bool> m_cancel{false};
};

}  // namespace quorvel
