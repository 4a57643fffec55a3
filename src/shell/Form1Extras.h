#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "health/StreamChecker.h"

class QPushButton;
class QThread;

namespace quorvel {

class Form1;
class ListSearch;
class SearchBox;
class StreamCheckDialog;

// What the main window offers beyond its classic controls: a search box above each channel
// list (Ctrl+F goes to the one shown, Escape empties it), and in the editing panel a check
// of every stream in the list and an import of M3U playlists. It lives as long as the window.
class Form1Extras : public QObject {
    Q_OBJECT
public:
    explicit Form1Extras(Form1* form);
    ~Form1Extras() override;

    SearchBox* txtSearch1 = nullptr;  // above ListView1
    SearchBox* txtSearch2 = nullptr;  // above ListView2
    QPushButton* cmdCheckStreams = nullptr;
    QPushButton* cmdImportM3U = nullptr;

    void FocusSearch();
    void cmdCheckStreams_Click();
    void cmdImportM3U_Click();
    // Appends the playlist's channels to ListView1, read off the GUI thread.
    void ImportM3uFile(const QString& path);

    StreamCheckDialog* CheckDialog() const;

    // Stand-ins for the dialogs, for tests: the file to import (empty: none), the answer to
    // a yes/no question and a message.
    std::function<QString()> chooseFile;
    std::function<bool(const QString& question)> confirm;
    std::function<void(const QString& message)> tell;
    CheckOptions checkOptions;

Q_SIGNALS:
    // -1 when the check or the import failed; the message went to `tell`.
    void CheckFinished(int failed);
    void ImportFinished(int added);

private:
    void CheckDone();

    Form1* m_form;
    ListSearch* m_search1 = nullptr;
    ListSearch* m_search2 = nullptr;
    QPointer<StreamCheckDialog> m_check;
    QPointer<QThread> m_import;
};

}  // namespace quorvel
