#pragma once

#include <QListWidget>
#include <QString>

#include <string>
#include <vector>

namespace quorvel {

// The file list of the local-files panel (`File1`): the files of one folder that match
// the media file patterns, letter case ignored. A click on a file (or Enter) emits
// fileClicked with the folder and the name joined.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Shows the files of the folder; false, and the list stays, when it cannot be listed.
    bool setPath(const QString& path);
    // Lists the folder again, keeping the selected file selected.
    void refresh();
    // The selected file's name, empty when none.
    QString fileName() const;

Q_SIGNALS:
    void fileClicked(const QString& filePath);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EmitClicked(QListWidgetItem* item);
    void Show(const std::vector<std::string>& names);

    QString m_path;
};

}  // namespace quorvel
