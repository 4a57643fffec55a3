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

void FileListBox::setPath(const QString& path) {
    m_path = path;
    refresh();
}

void FileListBox::refresh() {
    clear();
    if (m_path.isEmpty())
        return;
    std::error_code ec;
    for (const auto& name : ListMediaFiles(TextToFileName(m_path), ec)) {
        addItem(FileNameToText(name));
    }
}

QString FileListBox::fileName() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->text() : QString();
}

}  // namespace quorvel
