#include "shell/player/PlayerControlBar.h"

#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"
#include "shell/widgets/PlainText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <cmath>
#include <cstdlib>

namespace quorvel {
namespace {

// The seek slider counts tenths of a second.
constexpr int kSeekSteps = 10;

QToolButton* MakeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

PlayerControlBar::PlayerControlBar(PlayerEngine& engine, QWidget* parent)
    : QWidget(parent), m_session(engine.Session()) {
    m_playPause = MakeButton(this, QStyle::SP_MediaPlay, tr("Play"));
    m_playPause->setObjectName(QStringLiteral("playPause"));
    m_stop = MakeButton(this, QStyle::SP_MediaStop, tr("Stop"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("seek"));
    m_seek->setEnabled(false);
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_elapsed = new QLabel(FormatTime(0), this);
    m_total = new QLabel(FormatTime(0), this);
    // Titles come from the stream: plain text, and never wider than the bar allows.
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_title->setVisible(false);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setRange(0, 100);
    m_volume->setValue(m_session.Volume());
    m_volume->setMaximumWidth(80);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setToolTip(tr("Volume"));
    m_mute = MakeButton(this, QStyle::SP_MediaVolume, tr("Mute"));
    m_mute->setObjectName(QStringLiteral("mute"));
    m_mute->setCheckable(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_elapsed);
    layout->addWidget(m_seek, 1);
    layout->addWidget(m_total);
    layout->addWidget(m_title, 1);
    layout->addWidget(m_mute);
    layout->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControlBar::PlayPauseRequested);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::StopRequested);
    connect(m_seek, &QSlider::sliderReleased, this,
            [this] { m_session.Seek(double(m_seek->value()) / kSeekSteps); });
    connect(m_seek, &QSlider::actionTriggered, this, [this](int action) {
        // Clicks on the groove step the slider; follow them at once.
        if (action != QAbstractSlider::SliderMove) {
            m_session.Seek(double(m_seek->sliderPosition()) / kSeekSteps);
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
    // The bar takes the player's black, and the style's dark text vanished on it: the times
    // and the title take a colour that stands out from whatever the bar is filled with.
    const QColor back = palette().color(QPalette::Window);
    QPalette text = palette();
    if (std::abs(back.lightness() - text.color(QPalette::WindowText).lightness()) < 128) {
        text.setColor(QPalette::WindowText,
                      back.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black));
    }
    for (QLabel* label : {m_elapsed, m_total, m_title})
        label->setPalette(text);
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
    if (m_seek->isSliderDown())
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
    m_total->setText(FormatTime(seconds));
    // Live streams have no length: nothing to seek in.
    const bool seekable = std::isfinite(seconds) && seconds > 0;
    m_seek->setRange(0, seekable ? static_cast<int>(std::lround(seconds * kSeekSteps)) : 0);
    m_seek->setEnabled(seekable && m_session.IsActive());
}

void PlayerControlBar::ShowTitle(const QString& title) {
    m_nowPlaying = title;
    RefreshTitle();
}

void PlayerControlBar::ShowReconnecting(bool reconnecting) {
    m_reconnecting = reconnecting;
    RefreshTitle();
}

void PlayerControlBar::RefreshTitle() {
    const QString text = m_reconnecting ? tr("Reconnecting...") : m_nowPlaying;
    SetPlainText(*m_title, text);
    m_title->setToolTip(PlainToolTip(text));
    m_title->setVisible(!text.isEmpty());
}

void PlayerControlBar::ShowPaused(bool paused) {
    const bool playing = m_session.IsActive() && !paused;
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? tr("Pause") : tr("Play"));
}

void PlayerControlBar::ShowMuted(bool muted) {
    const QSignalBlocker block(m_mute);
    m_mute->setChecked(muted);
    m_mute->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
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
