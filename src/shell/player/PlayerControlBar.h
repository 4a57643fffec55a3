#pragma once

#include <optional>

#include <QColor>
#include <QIcon>
#include <QList>
#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;
class QSlider;
class QToolButton;

namespace quorvel {

class LiveTimeshift;
class MpvSession;
class PlayerEngine;

// The compact control bar of the "mini" mode: play/pause, stop, seek, elapsed and total
// time, volume and mute. It shows the session's state and sends the user's wishes back.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    PlayerControlBar(PlayerEngine& engine, QWidget* parent = nullptr);

    QToolButton* PlayPauseButton() const { return m_playPause; }
    QToolButton* StopButton() const { return m_stop; }
    QToolButton* MuteButton() const { return m_mute; }
    QSlider* SeekSlider() const { return m_seek; }
    QSlider* VolumeSlider() const { return m_volume; }
    QLabel* ElapsedLabel() const { return m_elapsed; }
    QLabel* TotalLabel() const { return m_total; }
    QLabel* TitleLabel() const { return m_title; }
    // What plays now; empty hides it. While a dropped stream is opened again the bar says
    // "Reconnecting..." in its place.
    void ShowTitle(const QString& title);
    // The guide's programme on air and its time left, beside the title; empty for none.
    void ShowProgramme(const QString& programme);
    // How much of the programme on air has passed (0..1), as a thin line under the seek
    // bar; nothing hides it.
    void ShowProgrammeSpan(std::optional<double> passed);
    QProgressBar* ProgrammeSpanLine() const { return m_span; }
    // The sleep timer's time left; empty hides it.
    void ShowSleep(const QString& status);
    QLabel* SleepLabel() const { return m_sleep; }
    // Whether a recording runs or can start, what to say of it (empty hides the text) and
    // its file.
    void ShowRecording(bool recording, bool possible, const QString& status, const QString& file);
    QToolButton* RecordButton() const { return m_record; }
    QLabel* RecordingLabel() const { return m_recording; }
    // A live stream is sought within what was kept; the bar shows how far behind live it is.
    void SetTimeshift(LiveTimeshift& timeshift);
    // The one live indicator: red while what plays is live, a button back to live while
    // it plays behind.
    QToolButton* LiveButton() const { return m_live; }
    QLabel* BehindLabel() const { return m_behind; }
    // What the player waits for (connecting, no sound); shown in place of the title, empty
    // gives the title back.
    void ShowStatus(const QString& status);
    // A message shown for a while, replacing the one before.
    void ShowMessage(const QString& text);
    // A recording was finished: its file is named for a while, with a way to its folder.
    void ShowSaved(const QString& file);
    QLabel* MessageLabel() const { return m_message; }
    QToolButton* OpenFolderButton() const { return m_openFolder; }
    // The controls in the order Tab visits them.
    QList<QWidget*> FocusChain() const;

    // "1:05" or "1:02:03".
    static QString FormatTime(double seconds);

Q_SIGNALS:
    void PlayPauseRequested();
    void StopRequested();
    void RecordRequested();
    void OpenFolderRequested();

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void KeepTextReadable();
    QIcon BarIcon(int standardPixmap) const;
    void ShowLiveState(bool atLive);
    void HideMessage();
    void ElideMessage();
    void ShowPosition(double seconds);
    void ShowDuration(double seconds);
    void ShowPaused(bool paused);
    void ShowMuted(bool muted);
    void ShowActive(bool active);
    void ShowReconnecting(bool reconnecting);
    void RefreshTitle();
    void ShowLive();
    void SeekTo(double seconds);
    bool IsLive() const;

    MpvSession& m_session;
    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QSlider* m_seek = nullptr;
    QProgressBar* m_span = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_sleep = nullptr;
    QToolButton* m_record = nullptr;
    QLabel* m_recording = nullptr;
    QToolButton* m_live = nullptr;
    QLabel* m_behind = nullptr;
    LiveTimeshift* m_timeshift = nullptr;
    QSlider* m_volume = nullptr;
    QToolButton* m_mute = nullptr;
    QLabel* m_message = nullptr;
    QToolButton* m_openFolder = nullptr;
    QTimer* m_messageTimer = nullptr;
    QString m_nowPlaying;
    QString m_programme;
    QString m_status;
    // The message whole; the label shows it cut to its width.
    QString m_messageText;
    bool m_reconnecting = false;
    bool m_hasSpan = false;
    // Icons and the focus frame take this colour: the style's own are dark on the black bar.
    QColor m_foreground = Qt::white;
};

}  // namespace quorvel
