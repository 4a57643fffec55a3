#pragma once

#include <QComboBox>
#include <QString>

namespace quorvel {

// The drive list of the local-files panel (`Drive1`): the mounted volumes, by their
// mount point, the root first. Choosing one emits driveChanged.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The mount point of the chosen volume.
    QString drive() const;
    // Chooses the volume that holds the path (the deepest mount point above it); false
    // when none does.
    bool setDrive(const QString& path);
    // Chooses the volume mounted exactly at `drive` (as drive() gave it); false, and the
    // choice stays, when nothing is mounted there now (an unplugged stick).
    bool restoreDrive(const QString& drive);
    // Reads the mounted volumes again, keeping the choice when it is still there.
    void refresh();

Q_SIGNALS:
    void driveChanged(const QString& drive);

protected:
    // Volumes come and go (USB sticks): the list is read again each time it drops down.
    void showPopup() override;
};

}  // namespace quorvel
