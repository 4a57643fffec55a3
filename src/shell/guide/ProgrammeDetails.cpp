#include "shell/guide/ProgrammeDetails.h"

#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

QString ProgrammeTimeText(std::int64_t start, std::int64_t stop) {
    const QDateTime from = QDateTime::fromSecsSinceEpoch(start).toLocalTime();
    const QDateTime to = QDateTime::fromSecsSinceEpoch(stop).toLocalTime();
    const QLocale locale;
    QString text = locale.toString(from.date(), QStringLiteral("ddd d MMM")) +
                   QStringLiteral(", ") + locale.toString(from.time(), QLocale::ShortFormat) +
                   QStringLiteral(" \u2013 ");
    if (to.date() != from.date())
        text += locale.toString(to.date(), QStringLiteral("ddd d MMM")) + QStringLiteral(", ");
    return text + locale.toString(to.time(), QLocale::ShortFormat);
}

ProgrammeDetails::ProgrammeDetails(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ProgrammeDetails"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto makeLabel = [this, layout](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
        return label;
    };
    lblTitle = makeLabel("lblTitle");
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    lblTime = makeLabel("lblTime");
    lblSubTitle = makeLabel("lblSubTitle");
    lblEpisode = makeLabel("lblEpisode");
    lblCategory = makeLabel("lblCategory");
    lblRating = makeLabel("lblRating");
    lblDescription = makeLabel("lblDescription");
    lblDescription->setWordWrap(true);
    lblDescription->setMaximumHeight(fontMetrics().height() * 4);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(button);
        return button;
    };
    cmdRecord = makeButton("cmdRecord");
    cmdRecordSeries = makeButton("cmdRecordSeries");
    cmdRemind = makeButton("cmdRemind");
    cmdPlay = makeButton("cmdPlay");
    buttons->addStretch(1);
    layout->addLayout(buttons);
    KeepTranslated(this, [this] { RetranslateUi(); });
    ShowNothing();
}

void ProgrammeDetails::RetranslateUi() {
    cmdRecord->setText(tr("Record"));
    cmdRecordSeries->setText(tr("Record Series"));
    cmdRemind->setText(tr("Remind Me"));
    cmdPlay->setText(m_choices.playArchive ? tr("Play") : tr("Play from Start"));
    if (m_rating.isEmpty())
        lblRating->clear();
    else
        SetPlainText(*lblRating, tr("Rating: %1").arg(m_rating));
}

void ProgrammeDetails::ShowNothing() {
    for (QLabel* label :
         {lblTitle, lblTime, lblSubTitle, lblEpisode, lblCategory, lblRating, lblDescription})
        label->clear();
    m_choices = {};
    m_rating.clear();
    for (QPushButton* button : {cmdRecord, cmdRecordSeries, cmdRemind, cmdPlay})
        button->setEnabled(false);
    RetranslateUi();
}

void ProgrammeDetails::Show(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                            const ProgrammeChoices& choices) {
    auto text = [&programme](guide::ProgrammeText kind) {
        return QString::fromStdString(programme.texts[kind]);
    };
    SetPlainText(*lblTitle, text(guide::kTitle));
    SetPlainText(*lblTime, ProgrammeTimeText(programme.start, programme.stop) +
                               QStringLiteral("  \u00b7  ") + QString::fromStdString(channel.name));
    SetPlainText(*lblSubTitle, text(guide::kSubTitle));
    SetPlainText(*lblEpisode, text(guide::kEpisode));
    SetPlainText(*lblCategory, text(guide::kCategory));
    m_rating = text(guide::kRating);
    SetPlainText(*lblDescription, text(guide::kDescription));
    m_choices = choices;
    cmdRecord->setEnabled(choices.record);
    cmdRecordSeries->setEnabled(choices.record);
    cmdRemind->setEnabled(choices.remind);
    cmdPlay->setEnabled(choices.playFromStart || choices.playArchive);
    RetranslateUi();
}

}  // namespace quorvel
