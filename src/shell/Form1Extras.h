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
class StreamCheckDialog;

// What the editing panel offers beyond its classic controls: a check of every stream in the
// list and an import of M3U playlists. It lives as long as the window. (The search boxes
// are in shell/search.)
class Form1Extras : public QObject {
    Q_OBJECT
public:
    explicit Form1Extras(Form1* form);
    ~Form1Extras() override;

    QPushButton* cmdCheckStreams = nullptr;
    QPushButton* cmdImportM3U = nullptr;

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
    QPointer<StreamCheckDialog> m_check;
    QPointer<QThread> m_import;
};

}  // namespace quorvel
