#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace quorvel {

class MediaPlayer;

// What a key does to the player, given the kind of control that has the focus: keys that
// a focused control needs for itself (typing, moving in a list, pressing a button) stay
// with it.
enum class FocusKind { Text, List, Choice, Button, Slider, Other };
enum class PlayerKeyAction {
    None,
    TogglePause,
    ToggleFullScreen,
    LeaveFullScreen,
    ToggleMute,
    VolumeUp,
    VolumeDown,
    SeekBack,
    SeekForward,
    ToggleRecording,
    GoLive
};

FocusKind FocusKindOf(const QWidget* focus);
PlayerKeyAction PlayerKeyActionFor(const QKeyEvent& key, FocusKind focus, bool fullScreen);

// The player's keys anywhere in one window: Space pauses and resumes, F toggles full screen
// and Escape leaves it, M mutes, Up and Down change the volume, Left and Right seek where
// the stream can seek (a live one within what was kept), L goes back to live, R starts and
// stops recording.
class PlayerKeys : public QObject {
    Q_OBJECT
public:
    static constexpr int kVolumeStep = 5;
    static constexpr double kSeekSeconds = 10.0;

    PlayerKeys(QWidget& window, MediaPlayer& player);
    ~PlayerKeys() override;

    void Perform(PlayerKeyAction action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    QPointer<MediaPlayer> m_player;
};

}  // namespace quorvel
