#pragma once

#include "catalogue/BrowsingState.h"
#include "shell/ApplicationMessage.h"

#include <QWidget>

#include <filesystem>

class QComboBox;
class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace quorvel {

class ListView;

// The start window: the channel list of one category with its language box, and on the
// right the area where the player goes. It reads the catalogue "Data.txt" of the
// application folder through the core reader and only shows what that returns.
class CatalogueWindow : public QWidget {
    Q_OBJECT
public:
    explicit CatalogueWindow(std::filesystem::path applicationFolder, QWidget* parent = nullptr);

    // Replaces the message box, e.g. to collect messages in a test.
    void SetMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    // Lists the channels of the current category and language; false (after the message)
    // when the catalogue could not be read.
    bool LoadChannelList();

    const BrowsingState& State() const { return m_state; }
    std::filesystem::path CatalogueFile() const;

    // The right-hand area reserved for the media player; the player widget is added here.
    QVBoxLayout* PlayerSlot() const { return m_playerLayout; }

    QGroupBox* Frame1 = nullptr;
    QLabel* lblCountry = nullptr;
    QComboBox* Combo1 = nullptr;
    ListView* ListView1 = nullptr;
    QWidget* PlayerArea = nullptr;

Q_SIGNALS:
    // A channel row was clicked: the address to play.
    void ChannelChosen(const QString& url);

private:
    void Combo1_Click(int index);
    void ListView1_ItemClick(int position);
    void FillCombo1(const ComboBoxState& combo);

    std::filesystem::path m_applicationFolder;
    // The TV category with its usual language, and a fresh language list on the first load.
    BrowsingState m_state{"TV", "English", true};
    MessagePresenter m_presenter = ShowApplicationMessage;
    QVBoxLayout* m_playerLayout = nullptr;
};

}  // namespace quorvel
