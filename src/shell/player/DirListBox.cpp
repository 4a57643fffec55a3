#include "shell/player/DirListBox.h"

#include "playback/LocalMediaFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

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
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    std::error_code ec;
    ListSubfolders(absolute.toStdString(), ec);
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
    if (!QFileInfo(drive).isDir())
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
    QStringList chain;
    for (QDir dir(m_path);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& folder : chain) {
        const QString name = folder == QLatin1String("/") ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(openIcon, IndentedName(depth++, name), this);
        item->setData(kPathRole, folder);
        current = item;
    }
    std::error_code ec;
    for (const auto& name : ListSubfolders(m_path.toStdString(), ec)) {
        const QString folderName = QString::fromStdString(name);
        auto* item = new QListWidgetItem(closedIcon, IndentedName(depth, folderName), this);
        item->setData(kPathRole,
                      QString::fromStdString(JoinFolderAndFile(m_path.toStdString(), name)));
    }
    setCurrentItem(current);
}

}  // namespace quorvel
