#include "shell/player/DriveListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace quorvel {
namespace {

// System mounts that hold no user files. Desktops mount USB sticks and discs under
// /run/media/<user>, so that part of /run is the user's.
bool IsSystemMount(const QString& root) {
    if (root.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot", "/var/lib"}) {
        const QString p = QLatin1String(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return false;
}

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("Drive1"));
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Q_EMIT driveChanged(drive());
    });
}

QString DriveListBox::drive() const {
    return currentData().toString();
}

void DriveListBox::refresh() {
    const QString current = drive();
    QList<QStorageInfo> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Bind mounts of single files (containers do that to /etc/hosts) are no drives.
        if (volume.isValid() && volume.isReady() && !IsSystemMount(volume.rootPath()) &&
            QFileInfo(volume.rootPath()).isDir()) {
            volumes << volume;
        }
    }
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    QSignalBlocker block(this);
    clear();
    for (const QStorageInfo& volume : volumes) {
        const QString root = volume.rootPath();
        const QString name = volume.name();
        addItem(name.isEmpty() || name == root ? root : QStringLiteral("%1  [%2]").arg(root, name),
                root);
    }
    if (count() == 0)
        addItem(QStringLiteral("/"), QStringLiteral("/"));
    const int keep = findData(current);
    setCurrentIndex(keep >= 0 ? keep : 0);
    if (!current.isEmpty() && keep < 0) {
        block.unblock();
        Q_EMIT driveChanged(drive());  // the chosen volume went away
    }
}

void DriveListBox::showPopup() {
    refresh();
    QComboBox::showPopup();
}

bool DriveListBox::restoreDrive(const QString& drive) {
    const int index = findData(QDir::cleanPath(drive));
    if (drive.isEmpty() || index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

bool DriveListBox::setDrive(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool holds = clean == root || root == QLatin1String("/") ||
                           clean.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0)
        return false;
    setCurrentIndex(best);
    return true;
}

}  // namespace quorvel
