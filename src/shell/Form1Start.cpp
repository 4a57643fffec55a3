// Start-up, close, shutdown and the menus of the main window.
#include "shell/Form1.h"

#include "appearance/FileExists.h"
#include "appearance/InstanceLock.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "settings/SettingsStore.h"
#include "shell/Form8.h"
#include "shell/WindowPlacementKeeper.h"
#include "shell/frmAbout.h"
#include "shell/localization/frmLanguage.h"
#include "shell/modIcon.h"
#include "shell/modListViewEnh.h"
#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"
#include "shell/player/MediaPlayer.h"
#include "shell/skin/BannerView.h"
#include "shell/skin/modSkin.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>

namespace quorvel {

void Form1::ConnectHandlers() {
    connect(cmdTV, &QToolButton::clicked, this, &Form1::cmdTV_Click);
    connect(cmdRadio, &QToolButton::clicked, this, &Form1::cmdRadio_Click);
    connect(cmdVideo, &QToolButton::clicked, this, &Form1::cmdVideo_Click);
    connect(cmdFavorites, &QToolButton::clicked, this, &Form1::cmdFavorites_Click);
    connect(cmdFiles, &QToolButton::clicked, this, &Form1::cmdFiles_Click);
    connect(cmdWebsite, &QToolButton::clicked, this, &Form1::cmdWebsite_Click);
    connect(cmdSports, &QToolButton::clicked, this, &Form1::cmdSports_Click);
    connect(cmdExtras, &QToolButton::clicked, this, &Form1::cmdExtras_Click);
    connect(cmdXXX, &QToolButton::clicked, this, &Form1::cmdXXX_Click);
    connect(Combo1, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            Combo1_Click();
    });
    connect(cmdFav, &QPushButton::clicked, this, &Form1::cmdFav_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ListView1, &ListView::ItemClick, this, [this] { ListView1_ItemClick(); });
    connect(ListView2, &ListView::ItemClick, this, [this] { ListView2_ItemClick(); });
    connect(ListView1, &ListView::ColumnClick, this, &Form1::ListView1_ColumnClick);
    connect(ListView2, &ListView::ColumnClick, this, &Form1::ListView2_ColumnClick);
    connect(Drive1, &DriveListBox::driveChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &DirListBox::pathChanged, this, [this] { Dir1_Change(); });
    connect(File1, &FileListBox::fileClicked, this, [this] { File1_Click(); });
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Recommended, &QPushButton::clicked, this, &Form1::Recommended_Click);
    if (WindowsMediaPlayer1) {
        connect(WindowsMediaPlayer1, &MediaPlayer::nowPlayingChanged, this,
                &Form1::WindowsMediaPlayer1_NowPlayingChanged);
    }
    for (int i = 0; i < 3; ++i) {
        if (i != 0)  // the catalogue update is wired by its own module
            connect(mnuFileItem[i], &QAction::triggered, this, [this, i] { mnuFileItem_Click(i); });
    }
    for (int i = 0; i < 5; ++i)
        connect(mnuCatItem[i], &QAction::triggered, this, [this, i] { mnuCatItem_Click(i); });
    connect(mnuHelpItem, &QAction::triggered, this, &Form1::mnuHelpItem_Click);
    connect(mnuAboutItem, &QAction::triggered, this, &Form1::mnuAboutItem_Click);
    connect(mnuLanguageItem, &QAction::triggered, this, &Form1::mnuLanguageItem_Click);
}

bool Form1::Form_Load() {
    const BrandingValues& branding = Branding();
    SetWindowIcon(this, "AAA", IconTarget::AlsoOwner);

    if (IsResellerEdition()) {
        cmdSports->show();
        cmdExtras->show();
        cmdXXX->show();
        const FormControl& xxx = *Control("cmdXXX");
        FormControl website = *Control("cmdWebsite");
        website.Move(xxx.Left() + xxx.Width() + 60, website.Top(), website.Width(),
                     website.Height());
    }

    if (FileExists(ProgramFileToRead("admin.txt").string())) {
        EditMode = true;
        Frame2->show();
    }
    if (EditMode) {
        ListView1->Rows().AddColumn("URL", 1440);
        chkLoad->setChecked(true);
    }

    if (PreviousInstanceRunning(branding.ProgramName))
        return false;
    // Where the window was when it last closed; the first start keeps the designed layout.
    new WindowPlacementKeeper(this, branding.ProgramName, kForm1Section, "WindowPlacement");

    KeepTranslated(this, [this] {
        const BrandingValues& names = Branding();
        setWindowTitle(CappedText(tr("%1 by %2")
                                      .arg(QString::fromStdString(names.ProgramName),
                                           QString::fromStdString(names.CompanyName)),
                                  kTitleChars));
    });
    cmdWebsite->setText(CappedText(QString::fromStdString("Visit " + branding.Website)));

    if (branding.BannerEnabled) {
        const int bannerHeight = Control("wbBanner")->Height();
        for (const char* name : {"Frame1", "WindowsMediaPlayer1"}) {
            FormControl control = *Control(name);
            control.Move(control.Left(), control.Top() + bannerHeight, control.Width(),
                         control.Height());
        }
        ShowBanner(*this);
    }
    if (branding.SkinEnabled) {
        CopyLabelsToSkinLabels(*this, SkinLabelScope::TemplateContainer);
        SkinForm(*this);
    }

    const std::string& app = branding.ProgramName;
    if (GetSetting(app, kForm1Section, "showHelp", "1") == "1") {
        ShowHelpPrompt();
        SaveSetting(app, kForm1Section, "showHelp", "0");
    }

    cmdTV_Click();
    LoadFavorites();

    // Each on its own: a stale or empty setting leaves the list where it was. Setting the
    // drive and the folder runs their change handlers, which store them again.
    const QString drive = QString::fromStdString(GetSetting(app, kForm1Section, "Drive", ""));
    const QString dir = QString::fromStdString(GetSetting(app, kForm1Section, "Dir", ""));
    Drive1->restoreDrive(drive);
    Dir1->setPath(dir);
    File1->setPath(dir);
    ApplyStoredLanguage(*this);
    return true;
}

void Form1::closeEvent(QCloseEvent* event) {
    // Nothing may keep playing while the windows go away; the request is never refused.
    if (WindowsMediaPlayer1) {
        WindowsMediaPlayer1->stop();
        WindowsMediaPlayer1->close();
    }
    event->accept();
    Unload();
}

void Form1::Form_Unload() {
    for (const char* name : {"Form8", "frmAbout", "frmSplash"})
        Form::UnloadByName(name);
    QCoreApplication::quit();
}

void Form1::mnuFileItem_Click(int index) {
    if (index == 2)
        close();
}

void Form1::ShowHelpPrompt() {
    quorvel::ShowHelpPrompt(HelpRequest::FirstStart);
}

void Form1::mnuHelpItem_Click() {
    quorvel::ShowHelpPrompt(HelpRequest::ViewHelp);
}

void Form1::mnuAboutItem_Click() {
    ShowAboutWindow();
}

void Form1::mnuLanguageItem_Click() {
    ShowLanguageWindow();
}

void Form1::ListView1_ColumnClick(int column) {
    bool showError = false;
    EnhListView_SortColumns(*ListView1, column, showError);
}

void Form1::ListView2_ColumnClick(int column) {
    bool showError = false;
    EnhListView_SortColumns(*ListView2, column, showError);
}

}  // namespace quorvel
