#include "shell/desktop/PlayerKeys.h"

#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace quorvel {

FocusKind FocusKindOf(const QWidget* focus) {
    if (!focus)
        return FocusKind::Other;
    if (auto* combo = qobject_cast<const QComboBox*>(focus))
        return combo->isEditable() ? FocusKind::Text : FocusKind::Choice;
    if (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus))
        return FocusKind::Text;
    if (auto* text = qobject_cast<const QTextEdit*>(focus))
        return text->isReadOnly() ? FocusKind::Other : FocusKind::Text;
    if (qobject_cast<const QPlainTextEdit*>(focus))
        return FocusKind::Text;
    if (qobject_cast<const QAbstractItemView*>(focus))
        return FocusKind::List;
    if (qobject_cast<const QAbstractSlider*>(focus))
        return FocusKind::Slider;
    if (qobject_cast<const QAbstractButton*>(focus))
        return FocusKind::Button;
    return FocusKind::Other;
}

PlayerKeyAction PlayerKeyActionFor(const QKeyEvent& key, FocusKind focus, bool fullScreen) {
    // Shortcuts with Ctrl, Alt or Meta belong to menus and controls.
    if (key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return PlayerKeyAction::None;
    const bool typing = focus == FocusKind::Text;
    switch (key.key()) {
        case Qt::Key_Escape:
            return fullScreen ? PlayerKeyAction::LeaveFullScreen : PlayerKeyAction::None;
        case Qt::Key_Space:
            return typing || focus == FocusKind::Button ? PlayerKeyAction::None
                                                        : PlayerKeyAction::TogglePause;
        case Qt::Key_F:
            return typing ? PlayerKeyAction::None : PlayerKeyAction::ToggleFullScreen;
        case Qt::Key_M:
            return typing ? PlayerKeyAction::None : PlayerKeyAction::ToggleMute;
        case Qt::Key_R:
            return typing ? PlayerKeyAction::None : PlayerKeyAction::ToggleRecording;
        case Qt::Key_L:
            return typing ? PlayerKeyAction::None : PlayerKeyAction::GoLive;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const bool ownsArrows = typing || focus == FocusKind::List ||
                                    focus == FocusKind::Choice || focus == FocusKind::Slider;
            if (ownsArrows && !fullScreen)
                return PlayerKeyAction::None;
            return key.key() == Qt::Key_Up ? PlayerKeyAction::VolumeUp
                                           : PlayerKeyAction::VolumeDown;
        }
        case Qt::Key_Left:
        case Qt::Key_Right:
            if ((typing || focus == FocusKind::Slider) && !fullScreen)
                return PlayerKeyAction::None;
            return key.key() == Qt::Key_Left ? PlayerKeyAction::SeekBack
                                             : PlayerKeyAction::SeekForward;
        default:
            return PlayerKeyAction::None;
    }
}

PlayerKeys::PlayerKeys(QWidget& window, MediaPlayer& player)
    : QObject(&player), m_window(&window), m_player(&player) {
    qApp->installEventFilter(this);
}

PlayerKeys::~PlayerKeys() {
    qApp->removeEventFilter(this);
}

bool PlayerKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !m_window || !m_player || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Once per key: where it is delivered first, inside this window only.
    QWidget* focus = QApplication::focusWidget();
    if (widget->window() != m_window || (focus ? widget != focus : widget != m_window))
        return false;
    const PlayerKeyAction action = PlayerKeyActionFor(*static_cast<QKeyEvent*>(event),
                                                      FocusKindOf(focus), m_player->isFullScreen());
    if (action == PlayerKeyAction::None)
        return false;
    Perform(action);
    return true;
}

void PlayerKeys::Perform(PlayerKeyAction action) {
    if (!m_player)
        return;
    switch (action) {
        case PlayerKeyAction::None:
            break;
        case PlayerKeyAction::TogglePause:
            if (m_player->isActive()) {
                m_player->togglePause();
            } else {
                m_player->play();
            }
            break;
        case PlayerKeyAction::ToggleFullScreen:
            m_player->setFullScreen(!m_player->isFullScreen());
            break;
        case PlayerKeyAction::LeaveFullScreen:
            m_player->setFullScreen(false);
            break;
        case PlayerKeyAction::ToggleMute:
            m_player->setMute(!m_player->mute());
            break;
        case PlayerKeyAction::VolumeUp:
        case PlayerKeyAction::VolumeDown: {
            const int step = action == PlayerKeyAction::VolumeUp ? kVolumeStep : -kVolumeStep;
            m_player->setVolume(std::clamp(m_player->volume() + step, 0, 100));
            break;
        }
        case PlayerKeyAction::ToggleRecording:
            m_player->toggleRecording();
            break;
        case PlayerKeyAction::GoLive:
            m_player->goLive();
            break;
        case PlayerKeyAction::SeekBack:
        case PlayerKeyAction::SeekForward:
            m_player->seekBy(action == PlayerKeyAction::SeekForward ? kSeekSeconds : -kSeekSeconds);
            break;
    }
}

}  // namespace quorvel
