#include "shell/player/DirListBox.h"

#include "playback/LocalMediaFolder.h"
#include "shell/player/FileNameText.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include <filesystem>

namespace quorvel {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString IndentedName(int depth, const QString& name) {
    return QString(depth * 2, QLatin1Char(' ')) + name;
}

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("Dir1"));
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item)
            setPath(item->data(kPathRole).toString());
    });
}

bool DirListBox::setPath(const QString& path) {
    std::error_code ec;
    if (path.isEmpty() || !std::filesystem::is_directory(TextToFileName(path), ec))
        return false;
    const QString absolute = QDir::cleanPath(
        FileNameToText(std::filesystem::absolute(TextToFileName(path), ec).string()));
    ListSubfolders(TextToFileName(absolute), ec);
    if (ec)
        return false;
    const bool changed = absolute != m_path;
    m_path = absolute;
    if (!m_drive.isEmpty() && (m_drive == QLatin1String("/") || m_path == m_drive ||
                               m_path.startsWith(m_drive + QLatin1Char('/')))) {
        m_lastFolderOnDrive.insert(m_drive, m_path);
    }
    refresh();
    if (changed)
        Q_EMIT pathChanged(m_path);
    return true;
}

bool DirListBox::setDrive(const QString& drive) {
    std::error_code ec;
    if (!std::filesystem::is_directory(TextToFileName(drive), ec))
        return false;
    const QString previous = m_drive;
    m_drive = QDir::cleanPath(drive);
    const QString target = m_lastFolderOnDrive.value(m_drive, m_drive);
    if (setPath(target) || setPath(m_drive))
        return true;
    m_drive = previous;
    return false;
}

void DirListBox::refresh() {
    clear();
    if (m_path.isEmpty())
        return;
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirIcon);
    // The chain of folders from the root down to the current one.
    // By the text alone: every folder above the current one exists.
    QStringList chain;
    for (QString folder = m_path;;) {
        chain.prepend(folder);
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (folder == QLatin1String("/") || slash < 0)
            break;
        folder = slash == 0 ? QStringLiteral("/") : folder.left(slash);
    }
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& folder : chain) {
        const QString name =
            folder == QLatin1String("/") ? folder : folder.mid(folder.lastIndexOf('/') + 1);
        auto* item = new QListWidgetItem(openIcon, IndentedName(depth++, name), this);
        item->setData(kPathRole, folder);
        current = item;
    }
    std::error_code ec;
    for (const auto& name : ListSubfolders(TextToFileName(m_path), ec)) {
        const QString folderName = FileNameToText(name);
        auto* item = new QListWidgetItem(closedIcon, IndentedName(depth, folderName), this);
        item->setData(kPathRole, FileNameToText(JoinFolderAndFile(TextToFileName(m_path), name)));
    }
    setCurrentItem(current);
}

}  // namespace quorvel
