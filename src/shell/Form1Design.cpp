// The controls of the main window, in design order and design geometry (twips).
#include "shell/Form1.h"

#include "shell/localization/frmLanguage.h"
#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"
#include "shell/player/MediaPlayer.h"
#include "shell/skin/BannerView.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>

namespace quorvel {
namespace {

constexpr int kChannelWidth = 2800;
constexpr int kCategoryWidth = 1440;
constexpr int kTypeWidth = 1440;

// The picture of a category button: the artwork of the resources, or a stock picture of
// the style while a resource is missing.
QIcon CategoryPicture(const QString& name, QStyle::StandardPixmap fallback, const QStyle* style) {
    const QIcon icon(QStringLiteral(":/categories/%1.png").arg(name));
    return icon.availableSizes().isEmpty() ? style->standardIcon(fallback) : icon;
}

QIcon MenuPicture(const QString& name) {
    return QIcon(QStringLiteral(":/menu/%1.png").arg(name));
}

template <class T>
T* Place(T* widget, int left, int top, int width, int height) {
    SetTwipsGeometry(widget, left, top, width, height);
    return widget;
}

void AddListColumns(ListView* list) {
    ListRows& rows = list->Rows();
    rows.AddColumn("Channel", kChannelWidth);
    rows.AddColumn("Category", kCategoryWidth);
    rows.AddColumn("Type", kTypeWidth);
    // Every header click inverts the direction: starting from descending, the first click
    // sorts ascending, as users expect.
    rows.SetSortOrder(SortOrder::Descending);
}

void FillCategories(QComboBox* combo) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems({"TV", "Radio", "Video", "XXX"});
    combo->setEditText("TV");
}

}  // namespace

void Form1::BuildCategoryBar() {
    QWidget* client = ClientArea();
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setBold(true);
    struct Button {
        QToolButton** member;
        const char* name;
        const char* caption;
        int left;
        int width;
        QStyle::StandardPixmap fallback;
    };
    const Button buttons[] = {
        {&cmdTV, "cmdTV", "TV", 60, 1275, QStyle::SP_ComputerIcon},
        {&cmdRadio, "cmdRadio", "Radio", 1380, 1275, QStyle::SP_MediaVolume},
        {&cmdVideo, "cmdVideo", "Video", 2700, 1275, QStyle::SP_MediaPlay},
        {&cmdFavorites, "cmdFavorites", "Favorites", 4020, 1275, QStyle::SP_DialogYesButton},
        {&cmdFiles, "cmdFiles", "My Files", 5340, 1275, QStyle::SP_DirHomeIcon},
        {&cmdSports, "cmdSports", "Live Sports", 6660, 1275, QStyle::SP_ArrowUp},
        {&cmdExtras, "cmdExtras", "Extras", 7980, 1275, QStyle::SP_FileDialogDetailedView},
        {&cmdXXX, "cmdXXX", "My Files", 9300, 1275, QStyle::SP_DriveHDIcon},
        {&cmdWebsite, "cmdWebsite", "Visit ", 6660, 2775, QStyle::SP_DriveNetIcon},
    };
    for (const Button& b : buttons) {
        auto* button = new QToolButton(client);
        button->setText(QString::fromLatin1(b.caption));
        button->setFont(verdana);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(
            CategoryPicture(QString::fromLatin1(b.name).mid(3).toLower(), b.fallback, style()));
        button->setIconSize(QSize(32, 32));
        Place(button, b.left, 60, b.width, 915);
        *b.member = AddControl(button, QString::fromLatin1(b.name), ControlType::CommandButton);
    }
    cmdSports->hide();
    cmdExtras->hide();
    cmdXXX->hide();
}

void Form1::BuildChannelPanels() {
    QWidget* client = ClientArea();
    Frame1 = AddControl(Place(new QGroupBox("Channels", client), 60, 1020, 5235, 6675), "Frame1",
                        ControlType::Frame);
    lblCountry = AddControl(Place(new QLabel("Type:", Frame1), 180, 240, 2115, 255), "lblCountry",
                            ControlType::Label);
    Combo1 = AddControl(Place(new QComboBox(Frame1), 180, 480, 3315, 315), "Combo1",
                        ControlType::ComboBox);
    MakeListChoiceCombo(*Combo1);
    lblCountry->setBuddy(Combo1);
    cmdFav = AddControl(Place(new QPushButton("Add to Favorites", Frame1), 3540, 180, 1575, 615),
                        "cmdFav", ControlType::CommandButton);
    ListView1 = AddControl(Place(new ListView(Frame1), 180, 900, 4935, 3795), "ListView1",
                           ControlType::ListView);
    AddListColumns(ListView1);

    Frame3 = AddControl(Place(new QGroupBox("Favorites", client), 60, 1020, 5235, 6675), "Frame3",
                        ControlType::Frame);
    ListView2 = AddControl(Place(new ListView(Frame3), 180, 900, 4935, 3795), "ListView2",
                           ControlType::ListView);
    AddListColumns(ListView2);
    Command1 =
        AddControl(Place(new QPushButton("Remove from Favorites", Frame3), 3540, 180, 1575, 615),
                   "Command1", ControlType::CommandButton);
    Frame3->hide();

    Frame4 = AddControl(Place(new QGroupBox("My Files", client), 60, 1020, 5235, 6735), "Frame4",
                        ControlType::Frame);
    Drive1 = AddControl(Place(new DriveListBox(Frame4), 120, 240, 4995, 315), "Drive1",
                        ControlType::DriveListBox);
    Dir1 = AddControl(Place(new DirListBox(Frame4), 120, 660, 4995, 2340), "Dir1",
                      ControlType::DirListBox);
    File1 = AddControl(Place(new FileListBox(Frame4), 120, 3060, 4995, 3405), "File1",
                       ControlType::FileListBox);
    Frame4->hide();
    // Until a folder was chosen, the lists start in the user's home folder.
    Drive1->setDrive(QDir::homePath());
    Dir1->setPath(QDir::homePath());
    File1->setPath(QDir::homePath());

    if (m_options.createPlayer) {
        // Made inside its final parent: re-parenting a shown player would drop its picture.
        WindowsMediaPlayer1 = new MediaPlayer(client, m_options.playerOptions);
        PlayerArea = WindowsMediaPlayer1;
    } else {
        PlayerArea = new QWidget(client);
    }
    AddControl(Place(PlayerArea, 5340, 1140, 9570, 6705), "WindowsMediaPlayer1",
               ControlType::WindowsMediaPlayer);

    wbBanner = AddControl(Place(new BannerView(client), 60, 1020, 7335, 945), "wbBanner",
                          ControlType::WebBrowser);
    wbBanner->setOpenLinks(false);
    wbBanner->hide();
    // Template of the skinned labels; copies are made only while the skin is on.
    SkinLabel1 = AddControl(Place(new QLabel("Windowed Label", client), 0, 0, 1215, 255),
                            "SkinLabel1", ControlType::SkinLabel, 0);
    SkinLabel1->hide();
}

void Form1::BuildEditingPanel() {
    Frame2 = AddControl(Place(new QGroupBox("List Editing", ClientArea()), 5400, 1080, 9675, 7095),
                        "Frame2", ControlType::Frame);
    QGroupBox* f = Frame2;
    auto button = [&](QPushButton** member, const char* name, const char* caption, int left,
                      int top, int width, int height) {
        *member = AddControl(Place(new QPushButton(caption, f), left, top, width, height), name,
                             ControlType::CommandButton);
    };
    auto label = [&](QLabel** member, const char* name, const char* caption, int left, int top,
                     int width, int height) {
        *member = AddControl(Place(new QLabel(caption, f), left, top, width, height), name,
                             ControlType::Label);
    };
    auto text = [&](QLineEdit** member, const char* name, const char* value, int left, int top,
                    int width) {
        *member = AddControl(Place(new QLineEdit(value, f), left, top, width, 315), name,
                             ControlType::TextBox);
    };
    auto combo = [&](QComboBox** member, const char* name, int left, int top, int width) {
        *member =
            AddControl(Place(new QComboBox(f), left, top, width, 315), name, ControlType::ComboBox);
    };

    button(&Clear, "Clear", "Clear the list", 120, 300, 1800, 375);
    button(&doLoad, "doLoad", "Decrypt and Load", 2040, 300, 1800, 375);
    label(&Label5, "Label5",
          "First clear the existing list.  Then click Decrypt and Load.  This will load ALL "
          "categories (TV, Radio, Video and XXX).  Edit the list.  When you are done click "
          "Encrypt and Save.  Data.htm will be saved in the program directory.  Upload it to "
          "your webserver and click File > Download.  This will update your list within the "
          "program.",
          120, 780, 9435, 855);
    Label5->setWordWrap(true);
    label(&Label6, "Label6", "Add an entry:", 120, 1740, 2400, 255);
    text(&txtAddName, "txtAddName", "Name", 120, 2040, 2400);
    combo(&cmbAddCategory, "cmbAddCategory", 2580, 2040, 1200);
    FillCategories(cmbAddCategory);
    text(&txtAddType, "txtAddType", "Language/Type", 3840, 2040, 1800);
    text(&txtAddURL, "txtAddURL", "URL", 5700, 2040, 2880);
    button(&cmdAdd, "cmdAdd", "Add", 8640, 2040, 915, 315);
    label(&Label7, "Label7", "Edit selected entry:", 120, 2520, 2400, 255);
    text(&txtEditName, "txtEditName", "Name", 120, 2820, 2400);
    combo(&cmbEditCateogy, "cmbEditCateogy", 2580, 2820, 1200);
    FillCategories(cmbEditCateogy);
    text(&txtEditType, "txtEditType", "Language/Type", 3840, 2820, 1800);
    text(&txtEditURL, "txtEditURL", "URL", 5700, 2820, 2880);
    button(&cmdEdit, "cmdEdit", "OK", 8640, 2820, 915, 315);
    button(&DELChannel, "DELChannel", "Delete Selected Channel", 120, 3300, 2400, 375);
    text(&Text4, "Text4", "", 2580, 3330, 1800);
    button(&cmdMusic, "cmdMusic", "Music Type", 4440, 3300, 1500, 375);
    label(&Label1, "Label1", "File", 120, 3900, 480, 255);
    text(&Text1, "Text1", "Text1", 600, 3870, 2400);
    label(&Label2, "Label2", "Type:", 3120, 3900, 600, 255);
    text(&txtType, "txtType", "TV", 3720, 3870, 1200);
    button(&cmdLoad2, "cmdLoad2", "Load2", 5040, 3840, 1200, 375);
    label(&Label4, "Label4", "Find and replace:", 120, 4440, 3000, 255);

    // One label carries the three words; the boxes sit in the gaps between them.
    const QString gap(16, QLatin1Char(' '));
    label(&Label3, "Label3", "", 120, 4800, 9435, 255);
    Label3->setText("Replace" + gap + "with" + gap + "in column");
    const QFontMetrics metrics(Label3->font());
    const int gapTwips = PixelsToTwips(metrics.horizontalAdvance(gap));
    const int replaceEnd = 120 + PixelsToTwips(metrics.horizontalAdvance("Replace"));
    const int withEnd = replaceEnd + gapTwips + PixelsToTwips(metrics.horizontalAdvance("with"));
    const int columnEnd =
        withEnd + gapTwips + PixelsToTwips(metrics.horizontalAdvance("in column"));
    text(&Text2, "Text2", "", replaceEnd + 60, 4770, gapTwips - 120);
    text(&Text3, "Text3", "", withEnd + 60, 4770, gapTwips - 120);
    combo(&Combo2, "Combo2", columnEnd + 120, 4770, 1500);
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->addItems({"Channel", "Language"});
    Combo2->setEditText("Channel");
    button(&cmdReplace, "cmdReplace", "Replace", columnEnd + 1740, 4740, 1200, 375);

    button(&cmdDupes, "cmdDupes", "Remove Duplicates", 120, 5400, 2400, 375);
    button(&save, "save", "Encrypt and Save", 2640, 5400, 2400, 375);
    button(&Recommended, "Recommended", "Recommended", 5160, 5400, 2400, 375);
    chkLoad =
        AddControl(Place(new QCheckBox("Don't Load Video While Editing", f), 4000, 300, 4200, 375),
                   "chkLoad", ControlType::CheckBox);
    button(&Command2, "Command2", "X", 9195, 180, 375, 315);
    Frame2->hide();
}

void Form1::BuildMenus() {
    mnuFile = AddMenu("mnuFile", "File");
    const char* fileItems[] = {"Download Most Recent Channel List", "-", "Exit"};
    for (int i = 0; i < 3; ++i) {
        mnuFileItem[i] = AddMenuItem(mnuFile, "mnuFileItem", fileItems[i], i);
        mnuFileItem[i]->setIcon(MenuPicture(QStringLiteral("mnuFileItem%1").arg(i)));
    }
    mnuCat = AddMenu("mnuCat", "Categories");
    const char* categories[] = {"TV", "Radio", "Video", "Favorites", "My Files"};
    for (int i = 0; i < 5; ++i) {
        mnuCatItem[i] = AddMenuItem(mnuCat, "mnuCatItem", categories[i], i);
        mnuCatItem[i]->setIcon(MenuPicture(QStringLiteral("mnuCatItem%1").arg(i)));
    }
    mnuLanguages = AddMenu("mnuLanguages", "Languages");
    mnuLanguageItem = AddMenuItem(mnuLanguages, "mnuLanguageItem", "Change Language", 0);
    mnuLanguageItem->setIcon(MenuPicture("mnuLanguageItem0"));
    // Hidden as delivered; a build option shows it.
    mnuLanguages->menuAction()->setVisible(LanguagesMenuShown());
    mnuHelp = AddMenu("mnuHelp", "Help");
    mnuHelpItem = AddMenuItem(mnuHelp, "mnuHelpItem", "View Help", 0);
    mnuHelpItem->setIcon(MenuPicture("mnuHelpItem0"));
    mnuAbout = AddMenu("mnuAbout", "About");
    mnuAboutItem = AddMenuItem(mnuAbout, "mnuAboutItem", "About this software", 0);
    mnuAboutItem->setIcon(MenuPicture("mnuAboutItem0"));
}

}  // namespace quorvel
