#include "shell/player/PlayerControlBar.h"

#include "shell/player/LiveTimeshift.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorvel {
namespace {

// The seek slider counts tenths of a second.
constexpr int kSeekSteps = 10;
constexpr int kSpanSteps = 1000;

// The style's focus frame is a faint dark line that vanishes on the black bar: these draw
// a ring of the bar's own foreground colour around themselves while they have the focus.
class BarButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    QColor ring = Qt::white;

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ring, 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
};

BarButton* MakeButton(QWidget* parent, const QString& tip) {
    auto* button = new BarButton(parent);
    button->setToolTip(PlainToolTip(tip));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The icon's shape in one colour: the styles draw their media icons dark.
QIcon Tinted(const QIcon& icon, const QColor& colour) {
    QIcon tinted;
    for (const int size : {16, 24, 32}) {
        QPixmap shape = icon.pixmap(QSize(size, size));
        if (shape.isNull())
            continue;
        QPainter painter(&shape);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shape.rect(), colour);
        painter.end();
        tinted.addPixmap(shape);
    }
    return tinted;
}

QIcon Dot(const QColor& colour) {
    QPixmap dot(16, 16);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(4, 4, 8, 8));
    return QIcon(dot);
}

constexpr int kMessageMs = 8000;
constexpr int kSavedMs = 20000;

// A red dot: the styles have no record icon.
QIcon RecordIcon() {
    QPixmap dot(16, 16);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd0, 0x20, 0x20));
    painter.drawEllipse(QRectF(3, 3, 10, 10));
    return QIcon(dot);
}

}  // namespace

PlayerControlBar::PlayerControlBar(PlayerEngine& engine, QWidget* parent)
    : QWidget(parent), m_session(engine.Session()) {
    m_playPause = MakeButton(this, tr("Play"));
    m_playPause->setObjectName(QStringLiteral("playPause"));
    m_stop = MakeButton(this, tr("Stop"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("seek"));
    m_seek->setEnabled(false);
    m_seek->setMinimumWidth(60);
    m_seek->setFocusPolicy(Qt::NoFocus);
    // The programme on air of a live stream with a guide: how much of it has run.
    m_span = new QProgressBar(this);
    m_span->setObjectName(QStringLiteral("programmeSpan"));
    m_span->setRange(0, kSpanSteps);
    m_span->setTextVisible(false);
    m_span->setFixedHeight(3);
    m_span->setVisible(false);
    m_elapsed = new QLabel(FormatTime(0), this);
    m_total = new QLabel(FormatTime(0), this);
    // Titles come from the stream: plain text, and never wider than the bar allows.
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_title->setVisible(false);
    m_record = MakeButton(this, tr("Record"));
    m_record->setObjectName(QStringLiteral("record"));
    m_record->setIcon(RecordIcon());
    m_record->setCheckable(true);
    m_record->setEnabled(false);
    m_recording = new QLabel(this);
    m_recording->setObjectName(QStringLiteral("recording"));
    m_recording->setTextFormat(Qt::PlainText);
    m_recording->setVisible(false);
    m_behind = new QLabel(this);
    m_behind->setObjectName(QStringLiteral("behind"));
    m_behind->setTextFormat(Qt::PlainText);
    m_behind->setVisible(false);
    m_live = MakeButton(this, tr("Back to Live"));
    m_live->setObjectName(QStringLiteral("live"));
    m_live->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_live->setVisible(false);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setTextFormat(Qt::PlainText);
    // A long file name is cut rather than pushing the seek bar and the volume away.
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_message->setVisible(false);
    m_message->installEventFilter(this);
    m_openFolder = MakeButton(this, QString());
    m_openFolder->setObjectName(QStringLiteral("openFolder"));
    m_openFolder->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_openFolder->setVisible(false);
    m_messageTimer = new QTimer(this);
    m_messageTimer->setSingleShot(true);
    connect(m_messageTimer, &QTimer::timeout, this, &PlayerControlBar::HideMessage);
    connect(m_openFolder, &QToolButton::clicked, this, &PlayerControlBar::OpenFolderRequested);
    m_sleep = new QLabel(this);
    m_sleep->setObjectName(QStringLiteral("sleep"));
    m_sleep->setTextFormat(Qt::PlainText);
    m_sleep->setVisible(false);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setRange(0, 100);
    m_volume->setValue(m_session.Volume());
    m_volume->setMaximumWidth(80);
    m_volume->setMinimumWidth(50);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setToolTip(PlainToolTip(tr("Volume")));
    m_mute = MakeButton(this, tr("Mute"));
    m_mute->setObjectName(QStringLiteral("mute"));
    m_mute->setCheckable(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_elapsed);
    auto* seekColumn = new QVBoxLayout;
    seekColumn->setContentsMargins(0, 0, 0, 0);
    seekColumn->setSpacing(0);
    seekColumn->addWidget(m_seek, 1);
    seekColumn->addWidget(m_span);
    layout->addLayout(seekColumn, 1);
    layout->addWidget(m_total);
    layout->addWidget(m_behind);
    layout->addWidget(m_live);
    layout->addWidget(m_title, 1);
    layout->addWidget(m_record);
    layout->addWidget(m_recording);
    layout->addWidget(m_message, 3);
    layout->addWidget(m_openFolder);
    layout->addWidget(m_sleep);
    layout->addWidget(m_mute);
    layout->addWidget(m_volume);

    KeepTranslated(this, [this] {
        m_stop->setToolTip(PlainToolTip(tr("Stop")));
        m_volume->setToolTip(PlainToolTip(tr("Volume")));
        m_mute->setToolTip(PlainToolTip(tr("Mute")));
        m_live->setText(tr("Live"));
        m_openFolder->setText(tr("Open Folder"));
        ShowLive();
        RefreshTitle();
    });

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControlBar::PlayPauseRequested);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::StopRequested);
    connect(m_record, &QToolButton::clicked, this, [this] {
        // The bar shows the recorder's state, not the click's.
        m_record->setChecked(!m_record->isChecked());
        Q_EMIT RecordRequested();
    });
    connect(m_seek, &QSlider::sliderReleased, this,
            [this] { SeekTo(double(m_seek->value()) / kSeekSteps); });
    connect(m_seek, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks on the groove step the slider; follow them at once.
        if (action != QAbstractSlider::SliderMove) {
            SeekTo(double(m_seek->sliderPosition()) / kSeekSteps);
        }
    });
    connect(m_volume, &QSlider::valueChanged, this,
            [this](int value) { m_session.SetVolume(value); });
    connect(m_mute, &QToolButton::toggled, this, [this](bool on) { m_session.SetMuted(on); });

    connect(&m_session, &MpvSession::PositionChanged, this, &PlayerControlBar::ShowPosition);
    connect(&m_session, &MpvSession::DurationChanged, this, &PlayerControlBar::ShowDuration);
    connect(&m_session, &MpvSession::PauseChanged, this, &PlayerControlBar::ShowPaused);
    connect(&m_session, &MpvSession::MuteChanged, this, &PlayerControlBar::ShowMuted);
    connect(&m_session, &MpvSession::VolumeChanged, this, [this](int volume) {
        const QSignalBlocker block(m_volume);
        m_volume->setValue(volume);
    });
    connect(&m_session, &MpvSession::Started, this, [this] { ShowActive(true); });
    connect(&m_session, &MpvSession::Ended, this, [this] { ShowActive(false); });
    connect(&m_session, &MpvSession::Failed, this, [this] { ShowActive(false); });
    connect(&engine, &PlayerEngine::ReconnectingChanged, this, &PlayerControlBar::ShowReconnecting);
    KeepTextReadable();
}

void PlayerControlBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        KeepTextReadable();
    QWidget::changeEvent(event);
}

void PlayerControlBar::KeepTextReadable() {
    if (!m_volume)
        return;  // a palette set while the bar is built
    // The bar takes the player's black, and the style's dark text vanished on it: the times
    // and the title take a colour that stands out from whatever the bar is filled with.
    const QColor back = palette().color(QPalette::Window);
    QPalette text = palette();
    if (std::abs(back.lightness() - text.color(QPalette::WindowText).lightness()) < 128) {
        text.setColor(QPalette::WindowText,
                      back.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black));
    }
    for (QLabel* label : {m_elapsed, m_total, m_title, m_sleep, m_recording, m_behind, m_message})
        label->setPalette(text);
    m_foreground = text.color(QPalette::WindowText);
    for (QToolButton* button : {m_playPause, m_stop, m_record, m_live, m_openFolder, m_mute}) {
        static_cast<BarButton*>(button)->ring = m_foreground;
        button->setPalette(text);
        QPalette own = button->palette();
        own.setColor(QPalette::ButtonText, m_foreground);
        button->setPalette(own);
    }
    // The sliders' focus takes the highlight: a light one shows on a dark bar.
    QPalette sliders = palette();
    if (back.lightness() < 128)
        sliders.setColor(QPalette::Highlight, QColor(0x6c, 0xb4, 0xff));
    m_seek->setPalette(sliders);
    m_volume->setPalette(sliders);
    m_stop->setIcon(BarIcon(QStyle::SP_MediaStop));
    ShowPaused(m_session.Paused());
    ShowMuted(m_session.Muted());
}

QIcon PlayerControlBar::BarIcon(int standardPixmap) const {
    return Tinted(style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardPixmap)),
                  m_foreground);
}

QList<QWidget*> PlayerControlBar::FocusChain() const {
    return {m_playPause, m_stop, m_seek, m_live, m_record, m_openFolder, m_mute, m_volume};
}

QString PlayerControlBar::FormatTime(double seconds) {
    const long total = std::isfinite(seconds) && seconds > 0 ? std::lround(std::floor(seconds)) : 0;
    const long hours = total / 3600;
    const long minutes = (total / 60) % 60;
    const long secs = total % 60;
    if (hours > 0) {
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(secs, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(secs, 2, 10, QLatin1Char('0'));
}

void PlayerControlBar::ShowPosition(double seconds) {
    // The position changes with every frame; repaint only what the eye can see change.
    const QString text = FormatTime(seconds);
    if (text != m_elapsed->text())
        m_elapsed->setText(text);
    if (m_seek->isSliderDown() || IsLive())
        return;
    const int value = static_cast<int>(std::lround(seconds * kSeekSteps));
    const int span = std::max(1, m_seek->width());
    const auto pixel = [&](int v) {
        return QStyle::sliderPositionFromValue(m_seek->minimum(), m_seek->maximum(), v, span);
    };
    if (value != m_seek->value() && (pixel(value) != pixel(m_seek->value()) || value == 0)) {
        const QSignalBlocker block(m_seek);
        m_seek->setValue(value);
    }
}

void PlayerControlBar::ShowDuration(double seconds) {
    if (IsLive())
        return;
    m_total->setText(FormatTime(seconds));
    // Live streams have no length: nothing to seek in.
    const bool seekable = std::isfinite(seconds) && seconds > 0;
    m_seek->setRange(0, seekable ? static_cast<int>(std::lround(seconds * kSeekSteps)) : 0);
    m_seek->setEnabled(seekable && m_session.IsActive());
}

void PlayerControlBar::ShowProgramme(const QString& programme) {
    if (programme == m_programme)
        return;
    m_programme = programme;
    RefreshTitle();
}

void PlayerControlBar::ShowProgrammeSpan(std::optional<double> passed) {
    if (passed)
        m_span->setValue(static_cast<int>(std::lround(*passed * kSpanSteps)));
    m_span->setVisible(passed.has_value() && !m_seek->isHidden());
    m_hasSpan = passed.has_value();
}

void PlayerControlBar::ShowTitle(const QString& title) {
    m_nowPlaying = title;
    RefreshTitle();
}

void PlayerControlBar::ShowSleep(const QString& status) {
    m_sleep->setText(status);
    m_sleep->setVisible(!status.isEmpty());
}

void PlayerControlBar::SetTimeshift(LiveTimeshift& timeshift) {
    m_timeshift = &timeshift;
    connect(&timeshift, &LiveTimeshift::Changed, this, &PlayerControlBar::ShowLive);
    connect(m_live, &QToolButton::clicked, &timeshift, &LiveTimeshift::GoLive);
}

bool PlayerControlBar::IsLive() const {
    return m_timeshift && m_timeshift->IsLive() && m_session.IsActive();
}

void PlayerControlBar::SeekTo(double seconds) {
    if (IsLive()) {
        m_timeshift->SeekTo(seconds);
    } else {
        m_session.Seek(seconds);
    }
}

void PlayerControlBar::ShowLive() {
    const bool live = IsLive();
    const bool wasLive = m_live->isVisible();
    m_live->setVisible(live);
    // The live button says "Live"; a time beside it would only say it again.
    m_total->setVisible(!live);
    if (!live) {
        m_behind->setVisible(false);
        if (wasLive)
            ShowDuration(m_session.Duration());
        return;
    }
    // A second or two behind is where live playback sits anyway.
    const double behind = m_timeshift->BehindLive();
    const bool late = behind >= 3;
    const QString text = late ? QStringLiteral("-") + FormatTime(behind) : QString();
    if (text != m_behind->text())
        m_behind->setText(text);
    m_behind->setVisible(late);
    ShowLiveState(!late);
    if (m_seek->isSliderDown())
        return;
    const QSignalBlocker block(m_seek);
    m_seek->setRange(static_cast<int>(std::lround(m_timeshift->Earliest() * kSeekSteps)),
                     static_cast<int>(std::lround(m_timeshift->Latest() * kSeekSteps)));
    m_seek->setValue(static_cast<int>(std::lround(m_timeshift->Position() * kSeekSteps)));
    m_seek->setEnabled(m_seek->maximum() > m_seek->minimum());
}

void PlayerControlBar::ShowLiveState(bool atLive) {
    // Red while live; grey and a way back while behind. Never greyed out: it is the
    // indicator as much as the button.
    const QString tip = atLive ? tr("Playing live") : tr("Back to Live");
    if (m_live->property("atLive").toBool() == atLive && m_live->toolTip() == PlainToolTip(tip))
        return;
    m_live->setProperty("atLive", atLive);
    m_live->setIcon(Dot(atLive ? QColor(0xe0, 0x30, 0x30) : QColor(0x90, 0x90, 0x90)));
    m_live->setToolTip(PlainToolTip(tip));
}

void PlayerControlBar::ShowStatus(const QString& status) {
    if (status == m_status)
        return;
    m_status = status;
    RefreshTitle();
}

void PlayerControlBar::ShowMessage(const QString& text) {
    m_messageText = CappedText(text);
    ElideMessage();
    m_message->setToolTip(PlainToolTip(text));
    m_message->setVisible(!text.isEmpty());
    m_openFolder->setVisible(false);
    m_messageTimer->start(kMessageMs);
    RefreshTitle();
}

void PlayerControlBar::ShowSaved(const QString& file) {
    ShowMessage(tr("Saved as %1").arg(QFileInfo(file).fileName()));
    m_message->setToolTip(PlainToolTip(file));
    m_openFolder->setToolTip(PlainToolTip(QFileInfo(file).absolutePath()));
    m_openFolder->setVisible(true);
    m_messageTimer->start(kSavedMs);
}

void PlayerControlBar::ElideMessage() {
    // Cut in the middle where the bar is narrow: a file name's start and end tell it apart.
    const QString shown = m_message->fontMetrics().elidedText(m_messageText, Qt::ElideMiddle,
                                                              std::max(1, m_message->width()));
    SetPlainText(*m_message, m_message->width() > 0 ? shown : m_messageText);
}

bool PlayerControlBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_message && event->type() == QEvent::Resize)
        ElideMessage();
    return QWidget::eventFilter(watched, event);
}

void PlayerControlBar::HideMessage() {
    // Keyboard focus on the button that goes would otherwise be lost.
    if (m_openFolder->hasFocus())
        m_record->setFocus();
    m_message->setVisible(false);
    m_openFolder->setVisible(false);
    RefreshTitle();
}

void PlayerControlBar::ShowRecording(bool recording, bool possible, const QString& status,
                                     const QString& file) {
    m_record->setChecked(recording);
    m_record->setEnabled(recording || possible);
    m_record->setToolTip(PlainToolTip(recording ? tr("Stop Recording") : tr("Record")));
    SetPlainText(*m_recording, status);
    m_recording->setToolTip(PlainToolTip(file));
    m_recording->setVisible(!status.isEmpty());
}

void PlayerControlBar::ShowReconnecting(bool reconnecting) {
    m_reconnecting = reconnecting;
    RefreshTitle();
}

void PlayerControlBar::RefreshTitle() {
    const QString playing = m_programme.isEmpty() ? m_nowPlaying
                            : m_nowPlaying.isEmpty()
                                ? m_programme
                                : m_nowPlaying + QStringLiteral(" · ") + m_programme;
    const QString text = !m_status.isEmpty() ? m_status
                         : m_reconnecting    ? tr("Reconnecting...")
                                             : playing;
    SetPlainText(*m_title, text);
    m_title->setToolTip(PlainToolTip(text));
    // A message (a saved recording) takes the title's place for the while it shows.
    const bool title = !text.isEmpty() && m_message->isHidden();
    // While it connects there is nothing to seek in: what it waits for takes the room.
    const bool seek = m_status.isEmpty() || m_session.IsPlaying();
    if (title == m_title->isHidden() || seek == m_seek->isHidden()) {
        m_title->setVisible(title);
        m_seek->setVisible(seek);
        m_span->setVisible(seek && m_hasSpan);
        // Laid out now: the text is readable from the moment it is set.
        layout()->activate();
    }
}

void PlayerControlBar::ShowPaused(bool paused) {
    const bool playing = m_session.IsActive() && !paused;
    m_playPause->setIcon(BarIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(PlainToolTip(playing ? tr("Pause") : tr("Play")));
}

void PlayerControlBar::ShowMuted(bool muted) {
    const QSignalBlocker block(m_mute);
    m_mute->setChecked(muted);
    m_mute->setIcon(BarIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

void PlayerControlBar::ShowActive(bool active) {
    if (!active) {
        ShowPosition(0);
        ShowDuration(0);
    }
    m_seek->setEnabled(active && m_seek->maximum() > 0);
    ShowPaused(m_session.Paused());
}

}  // namespace quorvel
