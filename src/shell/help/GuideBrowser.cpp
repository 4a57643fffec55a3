#include "shell/help/GuideBrowser.h"

#include "files/FileIo.h"

#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QTextDocument>

#include <optional>

namespace quorvel {
namespace {

constexpr std::size_t kMaxGuideBytes = 1024 * 1024;
constexpr std::size_t kMaxImageBytes = 4 * 1024 * 1024;

// The file a picture of the guide names, when it names one inside the guide's folder.
std::optional<std::filesystem::path> GuideImage(const std::filesystem::path& folder,
                                                const QUrl& name) {
    if (folder.empty() || !name.isRelative() || !name.host().isEmpty() || name.path().isEmpty() ||
        name.path().startsWith(QLatin1Char('/')))
        return std::nullopt;
    const std::filesystem::path relative(QFile::encodeName(name.path()).toStdString());
    for (const auto& part : relative) {
        if (part == "..")
            return std::nullopt;
    }
    return folder / relative;
}

}  // namespace

GuideBrowser::GuideBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &GuideBrowser::Follow);
}

bool GuideBrowser::LoadGuide(const std::filesystem::path& file, QString& error) {
    std::string bytes;
    std::string reason;
    if (ReadFileAtMost(file, kMaxGuideBytes, bytes, reason) != FileReadStatus::Read) {
        error = QString::fromStdString(reason);
        return false;
    }
    m_folder = file.parent_path();
    document()->clear();  // pictures of an earlier load are read again
    setHtml(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return true;
}

QVariant GuideBrowser::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource)
        return {};
    const std::optional<std::filesystem::path> file = GuideImage(m_folder, name);
    if (!file)
        return {};
    std::string bytes;
    std::string reason;
    if (ReadFileAtMost(*file, kMaxImageBytes, bytes, reason) != FileReadStatus::Read)
        return {};
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size())))
        return {};
    return image;
}

void GuideBrowser::Follow(const QUrl& link) {
    const QString scheme = link.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        QDesktopServices::openUrl(link);
    } else if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        scrollToAnchor(link.fragment());
    }
}

}  // namespace quorvel
