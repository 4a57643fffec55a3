#pragma once

#include <QDBusConnection>
#include <QString>

namespace quorvel {

class Form1;
class MprisService;

// The main window on the desktop: the media keys and media widgets (MPRIS) with the name of
// the playing channel, the player's keys, a Tab order that follows the window's reading
// order, and the desktop entry the window belongs to. Call after Form_Load, before show.
// Returns the MPRIS service, or nullptr when there is no bus (all else still works).
MprisService* StartDesktopIntegration(Form1& form,
                                      QDBusConnection bus = QDBusConnection::sessionBus());

// Tab goes through the category bar, the channels, favorites and files, the player's
// controls and then the editing panel.
void SetTabOrder(Form1& form);

// The name of the channel whose address was just handed to the player: the selected row of
// the channel list or of the favorites that holds that address; empty for other addresses.
QString ChannelNameFor(const Form1& form, const QString& url);

// A second start: asks the running instance to bring its window to the front. False when
// there is no bus or nobody answered.
bool RaiseRunningInstance(QDBusConnection bus = QDBusConnection::sessionBus());

// A second start with an address or file: hands it to the running instance (made absolute
// when it is a local path) and raises its window. False when nobody took it.
bool HandOverToRunningInstance(const QString& addressOrFile,
                               QDBusConnection bus = QDBusConnection::sessionBus());

}  // namespace quorvel
