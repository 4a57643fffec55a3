#include "shell/player/MediaPlayer.h"

#include "playlists/ChannelHeaders.h"
#include "shell/player/LiveTimeshift.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/PlayerSleepTimer.h"
#include "shell/player/StreamRecorder.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

namespace quorvel {

MediaPlayer::MediaPlayer(QWidget* parent, const SessionOptions& options)
    : QWidget(parent),
      m_engine(new PlayerEngine(options, this)),
      m_sleep(new PlayerSleepTimer(this)),
      m_hardwareDecoding(options.hardwareDecoding) {
    setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    m_video = new MpvVideoWidget(m_engine->Session().Handle(), this);
    m_video->setObjectName(QStringLiteral("video"));
    m_recorder = new StreamRecorder(m_engine->Session(), this);
    std::optional<TimeshiftStore> store;
    if (!options.timeshiftFolder.empty())
        store.emplace(options.timeshiftFolder, options.timeshiftBytes);
    m_timeshift = new LiveTimeshift(m_engine->Session(), std::move(store), this);
    m_controls = new PlayerControlBar(*m_engine, this);
    m_controls->setObjectName(QStringLiteral("controls"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_video, 1);
    layout->addWidget(m_controls);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);
    m_controls->setAutoFillBackground(true);
    m_controls->setPalette(QWidget::palette());
    BuildContextMenu();

    connect(m_video, &MpvVideoWidget::Ready, this, &MediaPlayer::OpenWhenReady);
    connect(m_video, &MpvVideoWidget::Unavailable, this, &MediaPlayer::OpenWhenReady);
    connect(m_video, &MpvVideoWidget::DoubleClicked, this,
            [this] { setFullScreen(!m_fullScreen); });
    connect(m_controls, &PlayerControlBar::PlayPauseRequested, this, &MediaPlayer::togglePause);
    connect(m_controls, &PlayerControlBar::StopRequested, this, &MediaPlayer::stop);
    connect(m_engine, &PlayerEngine::Started, this, &MediaPlayer::playbackStarted);
    connect(m_engine, &PlayerEngine::Ended, this, &MediaPlayer::playbackEnded);
    // A stopped or failed address leaves no picture behind.
    connect(m_engine, &PlayerEngine::Started, m_video, &MpvVideoWidget::ShowPictures);
    connect(m_engine, &PlayerEngine::Ended, m_video, &MpvVideoWidget::ClearPicture);
    connect(m_engine, &PlayerEngine::Failed, m_video, &MpvVideoWidget::ClearPicture);
    connect(m_engine, &PlayerEngine::Failed, this, &MediaPlayer::OnFailed);
    connect(&m_engine->Session(), &MpvSession::MuteChanged, m_muteAction, &QAction::setChecked);
    connect(&m_engine->Session(), &MpvSession::MediaTitleChanged, this, &MediaPlayer::OnMediaTitle);
    // "End of file" is the end of what plays now, also when a playlist has more to come.
    connect(m_engine, &PlayerEngine::Ended, m_sleep, &PlayerSleepTimer::OnFileEnded);
    connect(&m_engine->Session(), &MpvSession::EntryFinished, m_sleep,
            &PlayerSleepTimer::OnFileEnded);
    connect(m_controls, &PlayerControlBar::RecordRequested, this, &MediaPlayer::toggleRecording);
    m_controls->SetTimeshift(*m_timeshift);
    connect(m_recorder, &StreamRecorder::StateChanged, this, &MediaPlayer::ShowRecording);
    connect(m_recorder, &StreamRecorder::Progress, this, &MediaPlayer::ShowRecording);
    connect(m_recorder, &StreamRecorder::CanRecordChanged, this, &MediaPlayer::ShowRecording);
    connect(m_recorder, &StreamRecorder::Failed, this,
            [this](const QString& path, const QString& reason) {
                m_recordingProblem = tr("Recording stopped: %1").arg(reason);
                Q_UNUSED(path);
                ShowRecording();
            });
    connect(m_timeshift, &LiveTimeshift::Notice, this, [this](const QString& text) {
        m_recordingProblem = text;
        ShowRecording();
    });
    connect(m_sleep, &PlayerSleepTimer::Expired, this, &MediaPlayer::stop);
    connect(m_sleep, &PlayerSleepTimer::StatusChanged, m_controls, &PlayerControlBar::ShowSleep);
}

MediaPlayer::~MediaPlayer() {
    // The render context must go before the engine it draws for, and the recorder's file
    // is finished while the engine still runs.
    delete m_video;
    m_video = nullptr;
    delete m_recorder;
    m_recorder = nullptr;
    delete m_timeshift;
    m_timeshift = nullptr;
}

int MediaPlayer::volume() const {
    return m_engine->Session().Volume();
}
bool MediaPlayer::mute() const {
    return m_engine->Session().Muted();
}
bool MediaPlayer::isActive() const {
    return m_engine->IsOpening() || m_engine->IsReconnecting() || m_engine->Session().IsActive();
}

void MediaPlayer::setErrorPresenter(PlayerErrorPresenter presenter) {
    m_presenter = std::move(presenter);
}

void MediaPlayer::setUrlWithHeaders(const QString& url, const std::string& userAgent,
                                    const std::string& referrer) {
    m_fileOptions = EngineFileOptions(userAgent, referrer);
    m_optionsUrl = url;
    setUrl(url);
}

void MediaPlayer::setUrl(const QString& url) {
    if (url != m_optionsUrl) {
        m_fileOptions.clear();
        m_optionsUrl.clear();
    }
    m_url = url;
    if (url.trimmed().isEmpty()) {
        // No address (a catalogue line without one): nothing to play, nothing to report.
        stop();
        return;
    }
    m_pending = true;
    OpenWhenReady();
}

void MediaPlayer::OpenWhenReady() {
    // Video cannot open before the render context exists; the address waits for it, unless
    // no picture can be drawn at all: then sound plays and video fails with a reason.
    if (!m_pending || !m_video || !(m_video->IsReady() || m_video->IsUnavailable()))
        return;
    m_pending = false;
    m_engine->Session().SetFileOptions(m_fileOptions);
    m_engine->Open(m_url);
}

void MediaPlayer::setVolume(int volume) {
    m_engine->Session().SetVolume(volume);
}
void MediaPlayer::setMute(bool mute) {
    m_engine->Session().SetMuted(mute);
}

void MediaPlayer::setUiMode(const QString& mode) {
    m_uiMode = mode;
    const bool showControls = mode.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0 &&
                              mode.compare(QLatin1String("invisible"), Qt::CaseInsensitive) != 0;
    m_controls->setVisible(showControls);
}

void MediaPlayer::setStretchToFit(bool on) {
    m_stretchToFit = on;
    m_engine->Session().SetProperty("video-unscaled", on ? "no" : "yes");
}

void MediaPlayer::setHardwareDecoding(bool on) {
    m_hardwareDecoding = on;
    // The engine falls back to the processor by itself where the card cannot decode.
    m_engine->Session().SetProperty("hwdec", on ? MpvSession::HardwareDecoder() : "no");
}

void MediaPlayer::play() {
    if (m_engine->Session().IsActive()) {
        m_engine->Session().SetPaused(false);
    } else if (!m_url.isEmpty()) {
        m_engine->Session().SetPaused(false);
        setUrl(m_url);
    }
}

void MediaPlayer::pause() {
    m_engine->Session().SetPaused(true);
}

void MediaPlayer::togglePause() {
    if (m_engine->Session().IsActive()) {
        m_engine->Session().TogglePaused();
    } else {
        play();
    }
}

void MediaPlayer::seekBy(double seconds) {
    if (m_timeshift->IsLive()) {
        m_timeshift->SeekBy(seconds);
        return;
    }
    MpvSession& session = m_engine->Session();
    // A stream without a length and nothing kept cannot seek.
    if (!session.IsPlaying() || session.Duration() <= 0)
        return;
    session.Seek(std::clamp(session.Position() + seconds, 0.0, session.Duration()));
}

void MediaPlayer::goLive() {
    m_timeshift->GoLive();
}

void MediaPlayer::toggleRecording() {
    if (m_recorder->IsRecording()) {
        m_recorder->Stop();
        return;
    }
    m_recordingProblem.clear();
    m_recorder->Start(m_channelName);
    ShowRecording();
}

void MediaPlayer::ShowRecording() {
    const bool recording = m_recorder->IsRecording();
    m_recordAction->setEnabled(recording || m_recorder->CanRecord());
    m_recordAction->setChecked(recording);
    QString status = m_recordingProblem;
    if (recording) {
        status = tr("Recording %1, %2")
                     .arg(PlayerControlBar::FormatTime(m_recorder->Seconds()),
                          QLocale().formattedDataSize(m_recorder->Bytes(), 1,
                                                      QLocale::DataSizeTraditionalFormat));
    }
    m_controls->ShowRecording(recording, m_recordAction->isEnabled(), status,
                              m_recorder->FilePath());
}

void MediaPlayer::stop() {
    m_pending = false;
    m_engine->Stop();
}

void MediaPlayer::close() {
    stop();
    m_url.clear();
    setFullScreen(false);
}

void MediaPlayer::closeEvent(QCloseEvent* event) {
    stop();
    QWidget::closeEvent(event);
}

void MediaPlayer::OnFailed(const QString& address, const QString& reason) {
    Q_EMIT playbackFailed(address, reason);
    if (m_presenter) {
        m_presenter(address, reason);
    } else if (m_enableErrorDialogs) {
        m_errorDialog.Present(address, reason);
    }
}

void MediaPlayer::OnMediaTitle(const QString& title) {
    if (title == m_nowPlaying)
        return;
    m_nowPlaying = title;
    if (!title.isEmpty()) {
        m_titles.append({QDateTime::currentDateTime(), title});
        if (m_titles.size() > kTitleHistory)
            m_titles.removeFirst();
    }
    m_controls->ShowTitle(title);
    Q_EMIT nowPlayingChanged(title);
}

QStringList MediaPlayer::titleHistory() const {
    QStringList lines;
    for (const auto& [when, title] : m_titles)
        lines << when.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\t') + title;
    return lines;
}

void MediaPlayer::BuildContextMenu() {
    m_menu = new QMenu(this);
    m_playPauseAction = m_menu->addAction(QString(), this, &MediaPlayer::togglePause);
    QAction* stopAction = m_menu->addAction(QString(), this, &MediaPlayer::stop);
    m_muteAction = m_menu->addAction(QString(), this, [this](bool on) { setMute(on); });
    m_muteAction->setCheckable(true);
    m_fullScreenAction = m_menu->addAction(QString(), this, [this](bool on) { setFullScreen(on); });
    m_fullScreenAction->setCheckable(true);
    m_recordAction = m_menu->addAction(QString(), this, &MediaPlayer::toggleRecording);
    m_recordAction->setCheckable(true);
    m_recordAction->setEnabled(false);
    QAction* copyAction = m_menu->addAction(QString(), this, [this] {
        QGuiApplication::clipboard()->setText(titleHistory().join(QLatin1Char('\n')));
    });
    KeepTranslated(m_menu, [this, stopAction, copyAction] {
        m_playPauseAction->setText(tr("Play/Pause"));
        stopAction->setText(tr("Stop"));
        m_muteAction->setText(tr("Mute"));
        m_fullScreenAction->setText(tr("Full Screen"));
        m_recordAction->setText(tr("Record"));
        copyAction->setText(tr("Copy Titles"));
    });
    BuildSleepMenu();
    auto* leave = new QAction(this);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(leave, &QAction::triggered, this, [this] { setFullScreen(false); });
    addAction(leave);
}

void MediaPlayer::BuildSleepMenu() {
    m_sleepMenu = m_menu->addMenu(QString());
    m_sleepMenu->setObjectName(QStringLiteral("sleepMenu"));
    auto* group = new QActionGroup(m_sleepMenu);
    const auto add = [&](const QString& text, auto choose) {
        QAction* action = m_sleepMenu->addAction(text, this, choose);
        action->setCheckable(true);
        group->addAction(action);
        return action;
    };
    QAction* off = add(QString(), [this] { m_sleep->Cancel(); });
    off->setChecked(true);
    std::vector<std::pair<QAction*, int>> afterMinutes;
    for (const int minutes : SleepTimer::kMinuteChoices)
        afterMinutes.emplace_back(add(QString(), [this, minutes] { m_sleep->StopAfter(minutes); }),
                                  minutes);
    QAction* atEnd = add(QString(), [this] { m_sleep->StopAtEndOfFile(); });
    KeepTranslated(m_sleepMenu, [this, off, afterMinutes, atEnd] {
        m_sleepMenu->setTitle(tr("Sleep Timer"));
        off->setText(tr("Off"));
        for (const auto& [action, minutes] : afterMinutes)
            action->setText(tr("%1 minutes").arg(minutes));
        atEnd->setText(tr("End of Current File"));
    });
    // The timer turns itself off once it has stopped playback.
    connect(m_sleep, &PlayerSleepTimer::StatusChanged, off, [this, off] {
        if (m_sleep->Mode() == SleepTimer::Mode::Off)
            off->setChecked(true);
    });
}

void MediaPlayer::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_enableContextMenu)
        return;
    m_muteAction->setChecked(mute());
    m_fullScreenAction->setChecked(m_fullScreen);
    m_menu->popup(event->globalPos());
}

void MediaPlayer::setFullScreen(bool on) {
    if (on == m_fullScreen)
        return;
    QWidget* top = window();
    if (top == this) {
        // Shown as a window of its own: plain full screen.
        m_fullScreen = on;
        on ? showFullScreen() : showNormal();
        return;
    }
    // Covering the window instead of becoming one: a new top-level window would take a
    // new GL context and the engine would drop the video.
    m_fullScreen = on;
    if (on) {
        m_normalGeometry = geometry();
        m_windowStates = top->windowState();
        top->installEventFilter(this);
        top->showFullScreen();
        raise();
        CoverWindow();
        setFocus();
    } else {
        top->removeEventFilter(this);
        top->setWindowState(m_windowStates);
        setGeometry(m_normalGeometry);
    }
    m_fullScreenAction->setChecked(on);
}

void MediaPlayer::CoverWindow() {
    if (!m_fullScreen || !parentWidget())
        return;
    QWidget* parent = parentWidget();
    setGeometry(QRect(parent->mapFrom(window(), QPoint(0, 0)), window()->size()));
}

bool MediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (m_fullScreen && watched == window() && event->type() == QEvent::Resize) {
        // After the window's own layout code has run.
        QTimer::singleShot(0, this, &MediaPlayer::CoverWindow);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quorvel
