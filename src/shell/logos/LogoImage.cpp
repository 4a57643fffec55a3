#include "shell/logos/LogoImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

namespace quorvel {
namespace {

// Megabytes one decode may take: a picture within kMaxLogoPixels, as 32-bit pixels, and room.
constexpr int kAllocationLimitMb = 24;
// No place shows a logo larger than this: bigger pictures are decoded smaller.
constexpr int kLargestShown = 256;

bool IsRasterFormat(const QByteArray& format) {
    static const QByteArray kFormats[] = {"png", "jpeg", "jpg", "gif", "webp", "bmp", "ico"};
    for (const QByteArray& known : kFormats) {
        if (format == known)
            return true;
    }
    return false;
}

}  // namespace

QImage DecodeLogo(const std::string& bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (!IsRasterFormat(reader.format().toLower()))
        return {};
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > kMaxLogoSide ||
        size.height() > kMaxLogoSide ||
        static_cast<qint64>(size.width()) * size.height() > kMaxLogoPixels)
        return {};
    if (size.width() > kLargestShown || size.height() > kLargestShown)
        reader.setScaledSize(size.scaled(kLargestShown, kLargestShown, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return image;
}

QImage FitLogo(const QImage& image, QSize box, LogoFit fit) {
    if (image.isNull() || box.isEmpty())
        return {};
    const QImage scaled = image.width() <= box.width() && image.height() <= box.height()
                              ? image
                              : image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (fit == LogoFit::Tight)
        return scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage padded(box, QImage::Format_ARGB32_Premultiplied);
    padded.fill(Qt::transparent);
    QPainter painter(&padded);
    painter.drawImage((box.width() - scaled.width()) / 2, (box.height() - scaled.height()) / 2,
                      scaled);
    painter.end();
    return padded;
}

}  // namespace quorvel
