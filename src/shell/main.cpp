#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "guide/GuideStore.h"
#include "playback/TimeshiftStore.h"
#include "settings/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/PermissionPrompt.h"
#include "shell/desktop/DesktopIntegration.h"
#include "shell/frmSplash.h"
#include "shell/guide/GuideChannelPicker.h"
#include "shell/guide/GuideFeeds.h"
#include "shell/guide/GuidePanel.h"
#include "shell/guide/GuideWindowMenu.h"
#include "shell/guide/NowColumn.h"
#include "shell/logos/ChannelLogos.h"
#include "shell/mpris/MprisService.h"
#include "shell/playlists/PlaylistsPanel.h"
#include "shell/schedule/ScheduleMenu.h"
#include "shell/search/ChannelSearch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // libmpv needs the C numeric locale, and QApplication has just set the user's one.
    std::setlocale(LC_NUMERIC, "C");

    quorvel::LoadProductInfo();
    const quorvel::BrandingValues& branding = quorvel::Branding();
    QApplication::setApplicationName(QString::fromStdString(branding.ProgramName));
    QApplication::setOrganizationName(QString::fromStdString(branding.CompanyName));
    QApplication::setApplicationVersion(
        QString::fromStdString(quorvel::VersionLabel(quorvel::CurrentVersionInfo())));

    // The program's own files live beside the executable, or in the installed data folder.
    quorvel::SetApplicationFolder(quorvel::ApplicationFolderFor(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));

    quorvel::InstallPermissionMessageBox(nullptr);
    // The splash hands over to the main window about a second later; a second instance
    // ends there, before its main window is shown.
    // An address or file to open: from the command line, a file manager or a browser.
    const QStringList arguments = QCoreApplication::arguments();
    const QString toOpen = arguments.size() > 1 ? arguments.at(1) : QString();
    auto* splash = new quorvel::frmSplash([toOpen]() -> QWidget* {
        // Live streams are kept on disk for pausing and rewinding, in the user's cache folder.
        quorvel::Form1Options options;
        options.playerOptions.timeshiftFolder =
            QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                .filePath(QStringLiteral("quorvel/timeshift"))
                .toStdString();
        options.playerOptions.timeshiftBytes = quorvel::TimeshiftCapBytes(quorvel::GetSetting(
            quorvel::Branding().ProgramName, "Settings", "TimeshiftMB", "1024"));
        auto* form1 = new quorvel::Form1(options);
        auto* playlists = new quorvel::PlaylistsPanel(form1);
        auto* guide = new quorvel::GuidePanel(form1);
        auto* onNow =
            new quorvel::NowColumn(form1->ListView1, quorvel::guide::DefaultGuideStorePath());
        quorvel::ShowProgrammeInPlayer(form1, onNow);
        onNow->SetPlaylists([playlists] { return playlists->ReadPlaylists(); });
        QObject::connect(playlists, &quorvel::PlaylistsPanel::Loaded, onNow,
                         &quorvel::NowColumn::PlaylistsChanged);
        QObject::connect(playlists, &quorvel::PlaylistsPanel::Opened, onNow,
                         &quorvel::NowColumn::PlaylistsChanged);
        QObject::connect(guide, &quorvel::GuidePanel::GuidesChanged, onNow,
                         &quorvel::NowColumn::Reload);
        // The guides the playlists name come with them, and on their own schedule after.
        auto* feeds = new quorvel::GuideFeeds(quorvel::guide::DefaultGuideStorePath(), form1);
        feeds->SetPlaylists([playlists] { return playlists->ReadPlaylists(); });
        QObject::connect(playlists, &quorvel::PlaylistsPanel::Loaded, feeds,
                         &quorvel::GuideFeeds::PlaylistsChanged);
        QObject::connect(playlists, &quorvel::PlaylistsPanel::Opened, feeds,
                         &quorvel::GuideFeeds::PlaylistsChanged);
        QObject::connect(feeds, &quorvel::GuideFeeds::Refreshed, onNow, [onNow](int replaced) {
            if (replaced > 0)
                onNow->Reload();
        });
        auto* schedule = new quorvel::ScheduleMenu(form1);
        auto* guideWindow = new quorvel::GuideWindowMenu(form1, playlists, schedule);
        // The channel list's menu: the guide channel by hand, and the programme on air and next.
        quorvel::AddGuideChannelMenu(
            form1->ListView1, onNow,
            [guideWindow](QMenu& menu, int source) { guideWindow->AddRowActions(menu, source); });
        QObject::connect(guide, &quorvel::GuidePanel::GuidesChanged, guideWindow,
                         &quorvel::GuideWindowMenu::Refresh);
        QObject::connect(feeds, &quorvel::GuideFeeds::Refreshed, guideWindow,
                         [guideWindow](int replaced) {
                             if (replaced > 0)
                                 guideWindow->Refresh();
                         });
        new quorvel::ChannelLogos(form1);
        if (auto* search = form1->findChild<quorvel::ChannelSearch*>()) {
            search->SetPlaylists([playlists] { return playlists->ReadPlaylists(); });
            QObject::connect(playlists, &quorvel::PlaylistsPanel::Loaded, search,
                             &quorvel::ChannelSearch::SourcesChanged);
            QObject::connect(playlists, &quorvel::PlaylistsPanel::Opened, search,
                             &quorvel::ChannelSearch::SourcesChanged);
        }
        quorvel::InstallPermissionMessageBox(form1);
        if (!form1->Form_Load()) {
            delete form1;
            if (toOpen.isEmpty() || !quorvel::HandOverToRunningInstance(toOpen))
                quorvel::RaiseRunningInstance();
            return nullptr;
        }
        if (quorvel::MprisService* service = quorvel::StartDesktopIntegration(*form1)) {
            service->SetOpenHandler(
                [playlists](const QString& target) { playlists->Open(target); });
        }
        // Once the window is up: what was asked for plays, due playlists refresh.
        // Recordings and reminders planned before: what passed meanwhile is marked missed.
        QTimer::singleShot(0, schedule, [schedule] { schedule->Start(); });
        QTimer::singleShot(0, playlists, [playlists, toOpen] {
            playlists->Open(toOpen);
            // Read in the background: a favorite of a playlist channel then plays with its
            // user agent, and searching everything finds them.
            playlists->Reload();
            playlists->RefreshDue();
        });
        return form1;
    });
    splash->Form_Load();
    return app.exec();
}
