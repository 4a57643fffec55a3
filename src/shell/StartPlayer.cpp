#include "shell/StartPlayer.h"

#include "shell/CatalogueWindow.h"
#include "shell/player/MediaPlayer.h"

#include <QEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace quorvel {
namespace {

// Stops the player when its window is closed; the window may close without being deleted.
class StopOnClose : public QObject {
public:
    StopOnClose(MediaPlayer* player, QObject* parent) : QObject(parent), m_player(player) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && m_player) {
            m_player->stop();
            m_player->close();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<MediaPlayer> m_player;
};

}  // namespace

MediaPlayer* AttachPlayer(CatalogueWindow& window, const SessionOptions& options) {
    // Created inside its final parent: re-parenting a shown player would drop its picture.
    auto* player = new MediaPlayer(window.PlayerArea, options);
    window.PlayerSlot()->addWidget(player);
    QObject::connect(&window, &CatalogueWindow::ChannelChosen, player, &MediaPlayer::setUrl);
    window.installEventFilter(new StopOnClose(player, &window));
    return player;
}

}  // namespace quorvel
