#include "shell/player/FileListBox.h"

#include "playback/LocalMediaFolder.h"
#include "shell/player/FileNameText.h"

#include <QKeyEvent>

namespace quorvel {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("File1"));
    connect(this, &QListWidget::itemClicked, this, &FileListBox::EmitClicked);
}

void FileListBox::EmitClicked(QListWidgetItem* item) {
    if (!item)
        return;
    Q_EMIT fileClicked(
        FileNameToText(JoinFolderAndFile(TextToFileName(m_path), TextToFileName(item->text()))));
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    // Enter plays the selected file as a click does; moving with the arrows does not.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        EmitClicked(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool FileListBox::setPath(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    const std::vector<std::string> names = ListMediaFiles(TextToFileName(path), ec);
    if (ec)
        return false;
    m_path = path;
    Show(names);
    return true;
}

void FileListBox::refresh() {
    const QString selected = fileName();
    std::error_code ec;
    Show(m_path.isEmpty() ? std::vector<std::string>()
                          : ListMediaFiles(TextToFileName(m_path), ec));
    // The file the user had selected stays selected while it is still there.
    const QList<QListWidgetItem*> same = findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !same.isEmpty())
        setCurrentItem(same.front());
}

void FileListBox::Show(const std::vector<std::string>& names) {
    clear();
    for (const auto& name : names)
        addItem(FileNameToText(name));
}

QString FileListBox::fileName() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->text() : QString();
}

}  // namespace quorvel
