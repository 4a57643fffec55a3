#include "shell/player/PlayerStatusPanel.h"

#include "shell/widgets/PlainText.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int kLogoSize = 96;

QLabel* MakeLabel(QWidget* parent, const char* name, double scale, QColor colour, bool bold) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    // Never wider than the picture area, whatever a stream calls itself.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont font = label->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setVisible(false);
    return label;
}

void Show(QLabel* label, const QString& text) {
    SetPlainText(*label, text);
    label->setVisible(!text.isEmpty());
}

}  // namespace

PlayerStatusPanel::PlayerStatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("statusPanel"));
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);
    // Clicks and the context menu belong to the player below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setVisible(false);
    m_channel = MakeLabel(this, "channel", 1.6, Qt::white, true);
    m_status = MakeLabel(this, "status", 1.15, QColor(0xe0, 0xe0, 0xe0), false);
    m_detail = MakeLabel(this, "detail", 1.0, QColor(0xa8, 0xa8, 0xa8), false);
    m_title = MakeLabel(this, "nowPlaying", 1.3, Qt::white, false);
    m_earlier = MakeLabel(this, "earlierTitles", 1.0, QColor(0x98, 0x98, 0x98), false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addStretch(1);
    layout->addWidget(m_logo);
    layout->addWidget(m_channel);
    layout->addWidget(m_status);
    layout->addWidget(m_detail);
    layout->addSpacing(8);
    layout->addWidget(m_title);
    layout->addWidget(m_earlier);
    layout->addStretch(1);
}

void PlayerStatusPanel::SetChannel(const QString& name) {
    Show(m_channel, name);
}

void PlayerStatusPanel::SetLogo(const QImage& logo) {
    if (logo.isNull()) {
        m_logo->clear();
        m_logo->setVisible(false);
        return;
    }
    const QImage fitted =
        logo.width() > kLogoSize || logo.height() > kLogoSize
            ? logo.scaled(kLogoSize, kLogoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : logo;
    m_logo->setPixmap(QPixmap::fromImage(fitted));
    m_logo->setVisible(true);
}

void PlayerStatusPanel::SetStatus(const QString& status, const QString& detail) {
    Show(m_status, status);
    Show(m_detail, detail);
}

void PlayerStatusPanel::SetTitles(const QString& now, const QStringList& before) {
    Show(m_title, now);
    Show(m_earlier, before.mid(0, kEarlierTitles).join(QLatin1Char('\n')));
}

QStringList PlayerStatusPanel::Lines() const {
    QStringList lines;
    for (const QLabel* label : {m_channel, m_status, m_detail, m_title, m_earlier}) {
        if (!label->isHidden() && !label->text().isEmpty())
            lines << label->text().split(QLatin1Char('\n'));
    }
    return lines;
}

}  // namespace quorvel
