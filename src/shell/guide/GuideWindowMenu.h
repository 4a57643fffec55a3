#pragma once

#include "guide/GuideStore.h"
#include "shell/guide/ProgrammeActions.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace quorvel {

class Form1;
class GuideWindow;
class PlaylistsPanel;
class ScheduleMenu;

// The Guide menu of the main window and its key G: opens the guide window on the channels
// the window's list shows now (its search, type and playlist filters applied), and follows
// the list while the guide is open.
class GuideWindowMenu : public QObject {
    Q_OBJECT
public:
    GuideWindowMenu(Form1* form, PlaylistsPanel* playlists, ScheduleMenu* schedule);
    ~GuideWindowMenu() override;

    QMenu* mnuGuide = nullptr;
    QAction* mnuProgrammeGuide = nullptr;

    void mnuProgrammeGuide_Click();
    // The guides or the choices about them changed: an open window reads its rows again.
    void Refresh();
    GuideWindow* Window() const;

    // The list's shown rows as the guide sees them, matched to the store's guide channels.
    std::vector<GuideChannelRow> ShownRows();
    // The channel list's context menu on the row at `source` of the list: what can be done
    // with its programme on air and the next.
    void AddRowActions(QMenu& menu, int source);

private:
    bool OpenStore();
    std::vector<GuideChannelRow> RowsOf(const std::vector<int>& sources);
    void ListChanged();
    void Play(const GuideChannelRow& channel, const QString& address);
    void RetranslateUi();

    Form1* m_form;
    PlaylistsPanel* m_playlists;
    ScheduleMenu* m_schedule;
    std::unique_ptr<guide::GuideStore> m_store;
    QPointer<GuideWindow> m_window;
    bool m_refillQueued = false;
};

}  // namespace quorvel
