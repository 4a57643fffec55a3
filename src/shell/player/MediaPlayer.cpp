#include "shell/player/MediaPlayer.h"

#include "playlists/ChannelHeaders.h"
#include "shell/player/LiveTimeshift.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/PlayerSleepTimer.h"
#include "shell/player/PlayerStatusPanel.h"
#include "shell/player/StreamRecorder.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
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
    // Above the picture, which is cut away wherever the panel shows.
    m_panel = new PlayerStatusPanel(this);
    m_panel->setVisible(false);
    m_video->installEventFilter(this);
    m_waitTick.setInterval(1000);
    connect(&m_waitTick, &QTimer::timeout, this, &MediaPlayer::RefreshPanel);
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
    connect(m_controls, &PlayerControlBar::OpenFolderRequested, this,
            &MediaPlayer::OpenRecordingsFolder);
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
    connect(m_timeshift, &LiveTimeshift::Notice, this, &MediaPlayer::showStatusMessage);
    connect(m_engine, &PlayerEngine::StageChanged, this, &MediaPlayer::RefreshPanel);
    // A box about the last channel says nothing of the one that plays now.
    connect(m_engine, &PlayerEngine::Started, this, [this] {
        if (QMessageBox* box = m_errorDialog.Box())
            box->close();
    });
    connect(m_engine, &PlayerEngine::Reconnecting, this, &MediaPlayer::RefreshPanel);
    connect(&m_engine->Session(), &MpvSession::HasPictureChanged, this, &MediaPlayer::RefreshPanel);
    connect(&m_engine->Session(), &MpvSession::SoundUnavailableChanged, this,
            &MediaPlayer::RefreshPanel);
    connect(m_sleep, &PlayerSleepTimer::Expired, this, &MediaPlayer::stop);
    connect(m_sleep, &PlayerSleepTimer::StatusChanged, m_controls, &PlayerControlBar::ShowSleep);
}

MediaPlayer::~MediaPlayer() {
    // What the engine says from now on finds no window to show it in.
    m_waitTick.stop();
    m_engine->disconnect(this);
    m_engine->Session().disconnect(this);
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

void MediaPlayer::setChannelName(const QString& name) {
    m_channelName = name;
    m_namePending = true;
}

void MediaPlayer::setLogo(const QImage& logo) {
    m_panel->SetLogo(logo);
}

void MediaPlayer::setProgramme(const QString& programme, std::optional<double> passed) {
    m_controls->ShowProgramme(programme);
    m_controls->ShowProgrammeSpan(passed);
}

void MediaPlayer::setUrl(const QString& url) {
    if (url != m_optionsUrl) {
        m_fileOptions.clear();
        m_optionsUrl.clear();
    }
    // A name set just before belongs to this address; any older one does not.
    if (!m_namePending)
        m_channelName.clear();
    m_namePending = false;
    m_panel->SetLogo({});
    m_recentTitles.clear();
    OpenUrl(url);
}

QString MediaPlayer::DisplayName() const {
    if (!m_channelName.trimmed().isEmpty())
        return m_channelName;
    const QUrl url(m_url);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return m_url;
    const QString file = QFileInfo(m_url).fileName();
    return file.isEmpty() ? m_url : file;
}

void MediaPlayer::OpenUrl(const QString& url) {
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
    RefreshPanel();
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
    m_controls->setVisible(showControls && !m_fullScreen);
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
        OpenUrl(m_url);
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
    const bool ended = m_wasRecording && !recording;
    m_wasRecording = recording;
    if (ended && m_recordingProblem.isEmpty() && !m_recorder->FilePath().isEmpty() &&
        QFileInfo::exists(m_recorder->FilePath())) {
        m_lastRecording = m_recorder->FilePath();
        m_controls->ShowSaved(m_lastRecording);
    }
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

QString MediaPlayer::recordingsFolder() const {
    if (!m_lastRecording.isEmpty())
        return QFileInfo(m_lastRecording).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
}

void MediaPlayer::OpenRecordingsFolder() {
    const QString folder = recordingsFolder();
    if (!folder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void MediaPlayer::showStatusMessage(const QString& text) {
    m_controls->ShowMessage(text);
}

void MediaPlayer::RefreshPanel() {
    if (!m_video)
        return;
    using Stage = PlayerEngine::Stage;
    const Stage stage = m_engine->CurrentStage();
    const MpvSession& session = m_engine->Session();
    const bool waiting = m_pending || stage == Stage::ReadingPlaylist ||
                         stage == Stage::Connecting || stage == Stage::Loading ||
                         stage == Stage::WaitingToReconnect;
    const bool soundOnly = stage == Stage::Playing && !session.HasPicture();
    const QString noSound = tr("No sound output is available.");
    if (!waiting && !soundOnly) {
        m_waitTick.stop();
        m_panel->setVisible(false);
        // A picture plays without sound: the bar says why.
        m_controls->ShowStatus(stage == Stage::Playing && session.SoundUnavailable() ? noSound
                                                                                     : QString());
        return;
    }
    m_panel->SetChannel(DisplayName());
    QStringList earlier = m_recentTitles;
    std::reverse(earlier.begin(), earlier.end());
    if (!earlier.isEmpty() && earlier.front() == m_nowPlaying)
        earlier.removeFirst();
    m_panel->SetTitles(m_nowPlaying, earlier);
    if (waiting) {
        const bool again = stage == Stage::WaitingToReconnect || m_engine->IsReconnecting();
        const QString status = again ? tr("Reconnecting...") : tr("Connecting...");
        QString detail;
        switch (stage) {
            case Stage::ReadingPlaylist:
                detail = tr("Reading the channel's playlist");
                break;
            case Stage::Loading:
                detail = tr("Receiving the stream");
                break;
            case Stage::WaitingToReconnect:
                detail = tr("Try %1 of %2 starts soon")
                             .arg(m_engine->ReconnectTries())
                             .arg(ReconnectPolicy::kMaxTries);
                break;
            default:
                detail = tr("Waiting for the server to answer");
                break;
        }
        const qint64 seconds = m_engine->WaitedMs() / 1000;
        if (seconds >= 1 && stage != Stage::WaitingToReconnect)
            detail += QStringLiteral(" (") + tr("%1 s").arg(seconds) + QLatin1Char(')');
        m_panel->SetStatus(status, detail);
        m_controls->ShowStatus(status + QLatin1Char(' ') + detail);
        if (!m_waitTick.isActive())
            m_waitTick.start();
    } else {
        m_waitTick.stop();
        m_panel->SetStatus(session.SoundUnavailable() ? noSound : QString());
        m_controls->ShowStatus(QString());
    }
    m_panel->setGeometry(m_video->geometry());
    m_panel->raise();
    m_panel->setVisible(true);
}

void MediaPlayer::stop() {
    m_pending = false;
    m_engine->Stop();
    RefreshPanel();
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
        m_errorDialog.Present({DisplayName(), address, reason, m_engine->FailedAfterMs()});
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
        m_recentTitles.removeAll(title);
        m_recentTitles.append(title);
        if (m_recentTitles.size() > PlayerStatusPanel::kEarlierTitles + 1)
            m_recentTitles.removeFirst();
    }
    m_controls->ShowTitle(title);
    if (m_panel->isVisible())
        RefreshPanel();
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
    m_openRecordingsAction = m_menu->addAction(QString(), this, &MediaPlayer::OpenRecordingsFolder);
    QAction* copyAction = m_menu->addAction(QString(), this, [this] {
        QGuiApplication::clipboard()->setText(titleHistory().join(QLatin1Char('\n')));
    });
    KeepTranslated(m_menu, [this, stopAction, copyAction] {
        m_openRecordingsAction->setText(tr("Open Recordings Folder"));
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
        setUiMode(m_uiMode);
        on ? showFullScreen() : showNormal();
        m_fullScreenAction->setChecked(on);
        return;
    }
    // Covering the window instead of becoming one: a new top-level window would take a
    // new GL context and the engine would drop the video.
    m_fullScreen = on;
    // The picture alone: the window's menu bar and the player's own bar go while it lasts.
    auto* menuBar = top->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (on) {
        m_normalGeometry = geometry();
        m_windowStates = top->windowState();
        m_menuBarShown = menuBar && menuBar->isVisibleTo(top);
        top->installEventFilter(this);
        if (m_menuBarShown)
            menuBar->setVisible(false);
        m_controls->setVisible(false);
        // Without the menu bar the window's content moves up: cover it where it lands.
        if (QLayout* layout = top->layout())
            layout->activate();
        top->showFullScreen();
        raise();
        CoverWindow();
        QTimer::singleShot(0, this, &MediaPlayer::CoverWindow);
        setFocus();
    } else {
        top->removeEventFilter(this);
        if (menuBar && m_menuBarShown)
            menuBar->setVisible(true);
        setUiMode(m_uiMode);
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
    if (m_video && watched == m_video &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        m_panel->setGeometry(m_video->geometry());
    if (m_fullScreen && watched == window() && event->type() == QEvent::Resize) {
        // After the window's own layout code has run.
        QTimer::singleShot(0, this, &MediaPlayer::CoverWindow);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quorvel
