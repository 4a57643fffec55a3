#pragma once

#include "catalogue/BrowsingState.h"
#include "catalogue/Favorites.h"
#include "shell/ApplicationMessage.h"
#include "shell/forms/Form.h"
#include "shell/player/SessionOptions.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <utility>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextBrowser;
class QToolButton;

namespace quorvel {

// The section of the registry that holds the main window's settings.
inline constexpr char kForm1Section[] = "Settings";

class DirListBox;
class DriveListBox;
class FileListBox;
class ListView;
class MediaPlayer;

struct Form1Options {
    // Without the player a plain placeholder stands in its place: Qt's offscreen platform
    // cannot host the player's GL widget. Addresses are still announced by PlayerUrlSet.
    bool createPlayer = true;
    SessionOptions playerOptions;
};

// The main window: category bar, the channels, favorites and files panels, the player, the
// editing panel and the menus. Handlers are named control_event; they are public so that
// menus, other windows and tests run exactly what a click runs.
class Form1 : public Form {
    Q_OBJECT
public:
    explicit Form1(Form1Options options = {});
    ~Form1() override;

    // The start-up steps, in order, before the window is shown. False when another instance
    // already runs: the caller ends the program without showing anything.
    bool Form_Load();

    // Replaces the message box (tests collect the texts instead).
    void SetMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    // Category bar.
    QToolButton* cmdTV = nullptr;
    QToolButton* cmdRadio = nullptr;
    QToolButton* cmdVideo = nullptr;
    QToolButton* cmdFavorites = nullptr;
    QToolButton* cmdFiles = nullptr;
    QToolButton* cmdSports = nullptr;
    QToolButton* cmdExtras = nullptr;
    QToolButton* cmdXXX = nullptr;
    QToolButton* cmdWebsite = nullptr;

    // Channels panel.
    QGroupBox* Frame1 = nullptr;
    QLabel* lblCountry = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* cmdFav = nullptr;
    ListView* ListView1 = nullptr;

    // Favorites panel.
    QGroupBox* Frame3 = nullptr;
    ListView* ListView2 = nullptr;
    QPushButton* Command1 = nullptr;

    // Local files panel.
    QGroupBox* Frame4 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;

    // The player, or null when the window was made without one.
    MediaPlayer* WindowsMediaPlayer1 = nullptr;
    QWidget* PlayerArea = nullptr;  // the player or its placeholder
    QTextBrowser* wbBanner = nullptr;
    QLabel* SkinLabel1 = nullptr;  // element 0 of the skinned label array

    // Editing panel.
    QGroupBox* Frame2 = nullptr;
    QPushButton* Clear = nullptr;
    QPushButton* doLoad = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtAddName = nullptr;
    QComboBox* cmbAddCategory = nullptr;
    QLineEdit* txtAddType = nullptr;
    QLineEdit* txtAddURL = nullptr;
    QPushButton* cmdAdd = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtEditName = nullptr;
    QComboBox* cmbEditCateogy = nullptr;
    QLineEdit* txtEditType = nullptr;
    QLineEdit* txtEditURL = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* DELChannel = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* cmdMusic = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtType = nullptr;
    QPushButton* cmdLoad2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdDupes = nullptr;
    QPushButton* save = nullptr;
    QPushButton* Recommended = nullptr;
    QCheckBox* chkLoad = nullptr;
    QPushButton* Command2 = nullptr;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuFileItem[3] = {};  // 0: catalogue update (wired by its own module), 2: Exit
    QMenu* mnuCat = nullptr;
    QAction* mnuCatItem[5] = {};
    QMenu* mnuLanguages = nullptr;
    QAction* mnuLanguageItem = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpItem = nullptr;
    QMenu* mnuAbout = nullptr;
    QAction* mnuAboutItem = nullptr;

    // Window state.
    bool EditMode = false;
    BrowsingState State{"TV", "English", false};

    // Browsing.
    void cmdTV_Click();
    void cmdRadio_Click();
    void cmdVideo_Click();
    void cmdXXX_Click();
    void cmdFavorites_Click();
    void cmdFiles_Click();
    void cmdWebsite_Click();
    void cmdSports_Click();
    void cmdExtras_Click();
    void Combo1_Click();
    void mnuCatItem_Click(int index);
    // Lists the channels of the browsing state; false (after the message) on a read failure.
    bool LoadChannelList();

    // Favorites.
    void LoadFavorites();
    // False (after the message) while a favorites file that failed to load still cannot be read.
    bool FavoritesMayChange();
    void SaveFavorites();
    void cmdFav_Click();
    void Command1_Click();

    // Playback and local files.
    void ListView1_ItemClick();
    void ListView2_ItemClick();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Command2_Click();
    // What the stream tells it plays now (empty when nothing, or after stop), in the
    // tooltips of the window and the player.
    void WindowsMediaPlayer1_NowPlayingChanged(const QString& title);
    void Recommended_Click() {}

    // Sorting.
    void ListView1_ColumnClick(int column);
    void ListView2_ColumnClick(int column);

    // Menus.
    void mnuFileItem_Click(int index);
    void mnuHelpItem_Click();
    void mnuAboutItem_Click();
    void mnuLanguageItem_Click();

    // Layout.
    void ArrangeControls();

    // Hands an address to the player; `name` names the channel for recordings of it.
    void SetPlayerUrl(const QString& url, const QString& name = {});
    void Message(const QString& text);
    // Set while another source (the user's playlists) fills the channel list: a choice in
    // the type box goes there instead of to the catalogue.
    std::function<void()> Combo1Override;
    // The user agent and referrer a playlist gives an address (empty when none).
    std::function<std::pair<std::string, std::string>(const QString& url)> RequestHeadersFor;

Q_SIGNALS:
    // An address was handed to the player (also when the window has no player).
    void PlayerUrlSet(const QString& url);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void Form_Unload() override;

private:
    void BuildCategoryBar();
    void BuildChannelPanels();
    void BuildEditingPanel();
    void BuildMenus();
    void ConnectHandlers();

    void CategoryAction(const char* category, const char* settingsKey);
    void ShowPanel(QGroupBox* panel);
    void OpenWebPage(const char* selector);
    void ShowHelpPrompt();

    Form1Options m_options;
    MessagePresenter m_presenter = ShowApplicationMessage;
    FavoritesKeeper m_favorites;
    bool m_favoritesWriteReported = false;
    // The tooltips the title stands in for while it shows.
    bool m_titleTipShown = false;
    QString m_windowTip;
    QString m_playerTip;
};

}  // namespace quorvel
