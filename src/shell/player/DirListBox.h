#pragma once

#include <QHash>
#include <QListWidget>
#include <QString>

namespace quorvel {

// The folder list of the local-files panel (`Dir1`): the folders from the root down to
// the current one, then the folders inside it. Double-clicking (or Enter on) a folder
// makes it current and emits pathChanged.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Makes the folder current; false (and nothing changes) when it cannot be listed.
    bool setPath(const QString& path);
    // Moves to the folder last current on that drive, or to the drive's root; false when
    // the drive is not ready, and the list stays where it was.
    bool setDrive(const QString& drive);
    void refresh();

Q_SIGNALS:
    void pathChanged(const QString& path);

private:
    QString m_path;
    QString m_drive;
    QHash<QString, QString> m_lastFolderOnDrive;
};

}  // namespace quorvel
