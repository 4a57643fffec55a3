#pragma once

#include <QObject>
#include <QPointer>

#include "shell/ApplicationMessage.h"

class QProgressDialog;

namespace quorvel {

class CatalogueUpdater;
class Form1;
class ListRows;

// The editing panel Frame2 of the main window and its File menu update: every handler works
// on the rows of ListView1 through the catalogue's editing tools. Made by Form1 as its child.
class CatalogueEditor : public QObject {
    Q_OBJECT
public:
    explicit CatalogueEditor(Form1& form);
    ~CatalogueEditor() override;

    // Replaces the message box (tests collect the texts instead).
    void SetMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    void Clear_Click();
    void doLoad_Click();
    void cmdAdd_Click();
    void cmdEdit_Click();
    void DELChannel_Click();
    void cmdMusic_Click();
    void cmdLoad2_Click();
    void cmdReplace_Click();
    void cmdDupes_Click();
    void save_Click();

    // File menu item 0: downloads and applies the most recent channel list off the GUI
    // thread; held back while a download runs.
    void DownloadChannelList();
    CatalogueUpdater& Updater() const { return *m_updater; }

Q_SIGNALS:
    // The update has ended, applied or not, and its message (if any) has been shown.
    void DownloadEnded();

private:
    ListRows& Rows() const;
    void Message(const QString& text);
    void OnDownloadFinished();

    Form1& m_form;
    CatalogueUpdater* m_updater = nullptr;
    QPointer<QProgressDialog> m_progress;
    MessagePresenter m_presenter = ShowApplicationMessage;
};

}  // namespace quorvel
