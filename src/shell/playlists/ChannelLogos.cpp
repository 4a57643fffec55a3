#include "shell/playlists/ChannelLogos.h"

#include "logos/LogoCache.h"
#include "threads/ThreadEdge.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>
#include <QRunnable>

#include <chrono>

namespace quorvel {
namespace {

// Decoding a picture larger than this would cost more memory than a logo is worth, and is
// how a small file that unpacks to gigabytes shows itself.
constexpr int kMaxPixels = 2048 * 2048;
constexpr int kMaxSide = 4096;
constexpr int kAtOnce = 3;

std::int64_t LogoClock() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string PngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

// The cache's policy for one address: the picture to show, or nothing.
std::optional<QImage> LoadLogo(const LogoCache& cache, const std::string& address,
                               const std::atomic<bool>& cancel) {
    const std::int64_t now = LogoClock();
    std::optional<LogoRecord> record = cache.Record(address);
    const std::optional<std::string> kept = cache.Picture(address);
    std::optional<QImage> keptImage;
    if (kept)
        keptImage = ChannelLogos::Decode(Bytes(*kept));
    const LogoStep step = DecideLogo(record, keptImage.has_value(), now);
    if (step == LogoStep::Use || step == LogoStep::WaitToRetry)
        return keptImage;
    const std::string etag = step == LogoStep::Recheck && record ? record->etag : std::string();
    const LogoFetch fetch = FetchLogo(address, etag, &cancel);
    LogoRecord next = record.value_or(LogoRecord{});
    std::string error;
    std::optional<QImage> image;
    if (fetch.result == LogoFetchResult::Image)
        image = ChannelLogos::Decode(Bytes(fetch.bytes));
    if (image) {
        const std::string png = PngOf(*image);
        cache.Store(address, {fetch.etag, now, 0}, &png, error);
        return image;
    }
    if (fetch.result == LogoFetchResult::NotModified) {
        next.fetchedAt = now;
        next.failedAt = 0;
        cache.Store(address, next, nullptr, error);
        return keptImage;
    }
    // Not asked again for a day; an older picture stays in use.
    if (!cancel) {
        next.failedAt = now;
        cache.Store(address, next, nullptr, error);
    }
    return keptImage;
}

}  // namespace

ChannelLogos::ChannelLogos(std::filesystem::path cacheFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(cacheFolder)) {
    m_pool.setMaxThreadCount(kAtOnce);
    m_pool.setThreadPriority(QThread::LowestPriority);
}

ChannelLogos::~ChannelLogos() {
    m_cancel = true;
    m_pool.clear();
    m_pool.waitForDone();
}

std::optional<QImage> ChannelLogos::Decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide ||
        static_cast<qint64>(size.width()) * size.height() > kMaxPixels)
        return std::nullopt;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (image.width() > kSide || image.height() > kSide)
        image = image.scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QIcon ChannelLogos::Icon(const QString& address) {
    if (const auto found = m_icons.constFind(address); found != m_icons.constEnd())
        return *found;
    if (address.isEmpty() || m_asked.contains(address) || m_folder.empty())
        return {};
    m_asked.insert(address);
    const std::filesystem::path folder = m_folder;
    const std::string text = address.toStdString();
    m_pool.start(QRunnable::create([this, folder, text, address] {
        std::optional<QImage> image;
        RunAtThreadEdge([&] { image = LoadLogo(LogoCache(folder), text, m_cancel); },
                        [](const std::string&) {});
        if (image && !m_cancel) {
            QMetaObject::invokeMethod(
                this, [this, address, picture = *image] { Arrived(address, picture); },
                Qt::QueuedConnection);
        }
    }));
    return {};
}

QImage ChannelLogos::Picture(const QString& address) {
    if (const auto found = m_images.constFind(address); found != m_images.constEnd())
        return *found;
    Icon(address);
    return {};
}

void ChannelLogos::Arrived(const QString& address, const QImage& image) {
    m_icons.insert(address, QIcon(QPixmap::fromImage(image)));
    m_images.insert(address, image);
    Q_EMIT LogoReady(address);
}

}  // namespace quorvel
