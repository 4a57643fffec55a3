#pragma once

#include <optional>

#include "shell/player/PlayerErrorDialog.h"
#include "shell/player/SessionOptions.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <string>

class QAction;
class QMenu;

namespace quorvel {

class MpvVideoWidget;
class PlayerControlBar;
class PlayerEngine;
class PlayerSleepTimer;
class PlayerStatusPanel;
class StreamRecorder;
class LiveTimeshift;

// The embedded media player. Setting the URL plays it at once, replacing whatever played;
// a compact control bar sits below the picture; failures show the player's own error box
// (or go to the presenter set in its place). Its objectName is "WindowsMediaPlayer1".
// An address set before the widget is first shown waits until its picture can be drawn.
class MediaPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString url READ url WRITE setUrl)
    Q_PROPERTY(int volume READ volume WRITE setVolume)
    Q_PROPERTY(bool mute READ mute WRITE setMute)
    Q_PROPERTY(QString uiMode READ uiMode WRITE setUiMode)
    Q_PROPERTY(bool stretchToFit READ stretchToFit WRITE setStretchToFit)
    Q_PROPERTY(bool enableContextMenu READ enableContextMenu WRITE setEnableContextMenu)
    Q_PROPERTY(bool enableErrorDialogs READ enableErrorDialogs WRITE setEnableErrorDialogs)
    Q_PROPERTY(int playCount READ playCount)
    Q_PROPERTY(double rate READ rate)
    Q_PROPERTY(bool hardwareDecoding READ hardwareDecoding WRITE setHardwareDecoding)

public:
    explicit MediaPlayer(QWidget* parent = nullptr, const SessionOptions& options = {});
    ~MediaPlayer() override;

    QString url() const { return m_url; }
    int volume() const;
    bool mute() const;
    QString uiMode() const { return m_uiMode; }
    bool stretchToFit() const { return m_stretchToFit; }
    bool enableContextMenu() const { return m_enableContextMenu; }
    bool enableErrorDialogs() const { return m_enableErrorDialogs; }
    int playCount() const { return 1; }
    double rate() const { return 1.0; }
    bool isFullScreen() const { return m_fullScreen; }
    // Video decoded on the graphics card where that works (on unless the options said no).
    bool hardwareDecoding() const { return m_hardwareDecoding; }
    // The title the stream tells for what plays now (internet radio's song), empty when
    // it tells none; and the last titles, oldest first, each with the time it came.
    QString nowPlaying() const { return m_nowPlaying; }
    QStringList titleHistory() const;
    static constexpr int kTitleHistory = 50;
    // True while an address is opening, playing, or being reopened after a drop.
    bool isActive() const;

    // Where failures go instead of the error box (tests, embedding windows); an empty
    // presenter brings the box back.
    void setErrorPresenter(PlayerErrorPresenter presenter);

    PlayerEngine& engine() const { return *m_engine; }
    MpvVideoWidget* videoWidget() const { return m_video; }
    PlayerControlBar* controlBar() const { return m_controls; }
    QMenu* contextMenu() const { return m_menu; }
    QMenu* sleepMenu() const { return m_sleepMenu; }
    PlayerSleepTimer& sleepTimer() const { return *m_sleep; }
    StreamRecorder& recorder() const { return *m_recorder; }
    LiveTimeshift& timeshift() const { return *m_timeshift; }
    QAction* recordAction() const { return m_recordAction; }
    QAction* openRecordingsAction() const { return m_openRecordingsAction; }
    // The name of the channel of the next address set: the picture area shows it while it
    // connects, and recordings take it (empty gives them a plain one). An address set
    // without a name before it is shown by its own name.
    void setChannelName(const QString& name);
    // The channel's logo, shown with what plays while there is no picture; a null image
    // takes it away. Kept until the next address is set.
    void setLogo(const QImage& logo);
    // The guide's programme on air and its time left, shown beside the title; empty for none.
    // `passed`: how much of it has run (0..1), shown under the seek bar.
    void setProgramme(const QString& programme, std::optional<double> passed = {});
    // What the picture area shows while it has no picture (connecting, radio).
    PlayerStatusPanel* statusPanel() const { return m_panel; }
    // The folder recordings go to: the last recording's, or the videos folder.
    QString recordingsFolder() const;
    // A short message in the control bar, gone after a while or with the next one.
    void showStatusMessage(const QString& text);
    QMessageBox* errorBox() const { return m_errorDialog.Box(); }

public Q_SLOTS:
    void setUrl(const QString& url);
    // Plays `url` with a user agent and a referrer of its own (either may be empty), as a
    // playlist gives them to one channel. They stay with that address: setting any other
    // drops them.
    void setUrlWithHeaders(const QString& url, const std::string& userAgent,
                           const std::string& referrer);
    void setVolume(int volume);
    void setMute(bool mute);
    void setUiMode(const QString& mode);
    void setStretchToFit(bool on);
    void setEnableContextMenu(bool on) { m_enableContextMenu = on; }
    void setEnableErrorDialogs(bool on) { m_enableErrorDialogs = on; }
    void setHardwareDecoding(bool on);
    void play();
    void pause();
    void togglePause();
    void stop();
    // Stops and lets go of the address, as the main window does when it closes. Hides
    // QWidget::close on purpose: the widget stays where it is.
    void close();
    void setFullScreen(bool on);
    // Starts recording what plays, or stops the recording that runs.
    void toggleRecording();
    // Back or ahead by this much: within a file, or within what was kept of a live stream.
    void seekBy(double seconds);
    // From a paused or rewound live stream back to what is sent now.
    void goLive();

Q_SIGNALS:
    void playbackStarted(const QString& url);
    void playbackFailed(const QString& url, const QString& reason);
    void playbackEnded();
    // The title changed; a window can show it in its caption's tooltip (as plain text).
    void nowPlayingChanged(const QString& title);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildContextMenu();
    void BuildSleepMenu();
    void ShowRecording();
    void OpenWhenReady();
    void OnFailed(const QString& address, const QString& reason);
    void CoverWindow();
    void OnMediaTitle(const QString& title);
    void OpenUrl(const QString& url);
    void RefreshPanel();
    QString DisplayName() const;
    void OpenRecordingsFolder();

    PlayerEngine* m_engine = nullptr;
    MpvVideoWidget* m_video = nullptr;
    PlayerControlBar* m_controls = nullptr;
    QMenu* m_menu = nullptr;
    QMenu* m_sleepMenu = nullptr;
    PlayerSleepTimer* m_sleep = nullptr;
    StreamRecorder* m_recorder = nullptr;
    LiveTimeshift* m_timeshift = nullptr;
    QAction* m_recordAction = nullptr;
    QAction* m_openRecordingsAction = nullptr;
    PlayerStatusPanel* m_panel = nullptr;
    // Refreshes the seconds waited while a stream connects.
    QTimer m_waitTick;
    QString m_channelName;
    bool m_namePending = false;
    // The titles of what plays now, newest last, for the picture area.
    QStringList m_recentTitles;
    bool m_wasRecording = false;
    QString m_lastRecording;
    // Why the last recording stopped early; shown until the next one.
    QString m_recordingProblem;
    QAction* m_playPauseAction = nullptr;
    QAction* m_muteAction = nullptr;
    QAction* m_fullScreenAction = nullptr;
    PlayerErrorDialog m_errorDialog{this};
    PlayerErrorPresenter m_presenter;
    QString m_url;
    bool m_pending = false;
    // The per-file options of m_optionsUrl, handed to the engine with it only.
    std::string m_fileOptions;
    QString m_optionsUrl;
    QString m_uiMode = QStringLiteral("mini");
    bool m_stretchToFit = true;
    bool m_enableContextMenu = true;
    bool m_enableErrorDialogs = true;
    bool m_fullScreen = false;
    bool m_hardwareDecoding = true;
    QString m_nowPlaying;
    QList<QPair<QDateTime, QString>> m_titles;
    QRect m_normalGeometry;
    bool m_menuBarShown = false;
    Qt::WindowStates m_windowStates;
};

}  // namespace quorvel
