#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

class QListWidget;
class QPushButton;
class QSpinBox;

namespace quorvel {

class PlaylistsPanel;

// "Playlists...": the user's playlists, added by address or file, renamed, removed,
// refreshed now, each with its refresh interval. Every change goes to the store at once.
class PlaylistsDialog : public QDialog {
    Q_OBJECT
public:
    PlaylistsDialog(PlaylistsPanel& panel, QWidget* parent = nullptr);

    QListWidget* lstPlaylists = nullptr;
    QPushButton* cmdAddAddress = nullptr;
    QPushButton* cmdAddFile = nullptr;
    QPushButton* cmdRename = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QSpinBox* spnHours = nullptr;

    void AddSource(const QString& source);
    void RenameSelected(const QString& name);
    void RemoveSelected();
    void RefreshSelected();
    void SetHours(int hours);

    // Stand-ins for the questions asked, for tests.
    std::function<QString()> askAddress;
    std::function<QString()> askFile;
    std::function<QString(const QString& current)> askName;

private:
    void Fill(std::uint64_t select = 0);
    std::uint64_t SelectedId() const;
    void ShowSelected();
    void Report(bool ok, const std::string& error);

    PlaylistsPanel& m_panel;
};

}  // namespace quorvel
