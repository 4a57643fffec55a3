#include "shell/desktop/DesktopIntegration.h"

#include <QUrl>

#include <QFileInfo>

#include "shell/Form1.h"
#include "shell/desktop/PlayerKeys.h"
#include "shell/mpris/MprisService.h"
#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/widgets/ListView.h"

#include <QComboBox>
#include <QDBusMessage>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <vector>

#ifndef QUORVEL_APP_ID
#define QUORVEL_APP_ID "quorvel"
#endif

namespace quorvel {
namespace {

// The seconds a second start waits for the first one to answer.
constexpr int kRaiseTimeoutMs = 5000;

QString SelectedNameWithTag(const ListView* list, const QString& url) {
    if (!list)
        return {};
    const ListRows& rows = list->Rows();
    const std::optional<int> selected = rows.SelectedPosition();
    if (!selected)
        return {};
    const ListRow& row = rows.At(*selected);
    return QString::fromStdString(row.tag) == url ? QString::fromStdString(row.text) : QString();
}

}  // namespace

QString ChannelNameFor(const Form1& form, const QString& url) {
    for (const ListView* list : {form.ListView1, form.ListView2}) {
        if (const QString name = SelectedNameWithTag(list, url); !name.isEmpty())
            return name;
    }
    return {};
}

void SetTabOrder(Form1& form) {
    // The reading order: the category bar, the playlist picker and the type box, then each
    // panel's search box, list and buttons, then the player's controls. Controls that other
    // parts of the window add (playlists, the search scope) are found by name where present.
    static constexpr const char* kOrder[] = {
        "cmdTV",      "cmdRadio",       "cmdVideo",  "cmdFavorites", "cmdFiles",    "cmdPlaylists",
        "cmdSports",  "cmdExtras",      "cmdXXX",    "cmdWebsite",   "cboPlaylist", "Combo1",
        "txtSearch1", "cboSearchScope", "ListView1", "cmdFav",       "txtSearch2",  "ListView2",
        "Command1",   "Drive1",         "Dir1",      "File1"};
    std::vector<QWidget*> chain;
    for (const char* name : kOrder) {
        if (auto* widget = form.findChild<QWidget*>(QLatin1String(name)))
            chain.push_back(widget);
    }
    if (MediaPlayer* player = form.WindowsMediaPlayer1) {
        for (QWidget* control : player->controlBar()->FocusChain())
            chain.push_back(control);
    }
    QWidget* previous = nullptr;
    for (QWidget* widget : chain) {
        if (!widget)
            continue;
        // Tool buttons take no focus from Tab by default on every style.
        if (widget->focusPolicy() == Qt::NoFocus || widget->focusPolicy() == Qt::ClickFocus)
            widget->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    // The editing panel follows, in its own order.
    if (previous && form.Frame2) {
        const auto controls = form.Frame2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* widget : controls) {
            if (widget->focusPolicy() & Qt::TabFocus) {
                QWidget::setTabOrder(previous, widget);
                previous = widget;
            }
        }
    }
    // The window opens with the focus where the order begins, not on whatever was made first.
    if (!chain.empty() && !form.focusWidget())
        chain.front()->setFocus(Qt::OtherFocusReason);
}

MprisService* StartDesktopIntegration(Form1& form, QDBusConnection bus) {
    // Lets the desktop match the window to its entry (name and icon in the task switcher).
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVEL_APP_ID));
    SetTabOrder(form);
    MediaPlayer* player = form.WindowsMediaPlayer1;
    if (!player)
        return nullptr;
    new PlayerKeys(form, *player);
    MprisService* service = MprisService::Start(*player, form, std::move(bus));
    if (service) {
        QObject::connect(&form, &Form1::PlayerUrlSet, service,
                         [&form, service](const QString& url) {
                             service->SetChannel(ChannelNameFor(form, url), url);
                         });
        QObject::connect(player, &MediaPlayer::nowPlayingChanged, service,
                         &MprisService::SetNowPlaying);
    }
    return service;
}

bool RaiseRunningInstance(QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        MprisService::kServiceName, MprisService::kObjectPath,
        QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    return bus.call(call, QDBus::BlockWithGui, kRaiseTimeoutMs).type() ==
           QDBusMessage::ReplyMessage;
}

bool HandOverToRunningInstance(const QString& addressOrFile, QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    // The running instance has a folder of its own: a relative path is made absolute here.
    const QFileInfo file(addressOrFile);
    const QString uri = QUrl(addressOrFile).scheme().size() > 1 || !file.exists()
                            ? addressOrFile
                            : QUrl::fromLocalFile(file.absoluteFilePath()).toString();
    QDBusMessage call = QDBusMessage::createMethodCall(
        MprisService::kServiceName, MprisService::kObjectPath,
        QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("OpenUri"));
    call << uri;
    if (bus.call(call, QDBus::BlockWithGui, kRaiseTimeoutMs).type() != QDBusMessage::ReplyMessage)
        return false;
    return RaiseRunningInstance(bus);
}

}  // namespace quorvel
