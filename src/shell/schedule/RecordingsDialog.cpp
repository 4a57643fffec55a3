#include "shell/schedule/RecordingsDialog.h"

#include "schedule/ScheduleStore.h"
#include "shell/schedule/ScheduleRunner.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace quorvel {
namespace {

QString StateText(const ScheduleEntry& entry) {
    if (entry.kind == EntryKind::Reminder) {
        switch (entry.state) {
            case EntryState::Finished:
                return RecordingsDialog::tr("Reminded");
            case EntryState::Missed:
                return RecordingsDialog::tr("Missed");
            default:
                return RecordingsDialog::tr("Reminder");
        }
    }
    if (entry.series)
        return RecordingsDialog::tr("Every programme of this title");
    switch (entry.state) {
        case EntryState::Scheduled:
            return RecordingsDialog::tr("Scheduled");
        case EntryState::Running:
            return RecordingsDialog::tr("Recording");
        case EntryState::Finished:
            return RecordingsDialog::tr("Finished");
        case EntryState::Failed:
            return RecordingsDialog::tr("Failed");
        case EntryState::Missed:
            return RecordingsDialog::tr("Missed");
    }
    return {};
}

}  // namespace

RecordingsDialog::RecordingsDialog(ScheduleRunner& runner, QWidget* parent)
    : QDialog(parent), m_runner(runner) {
    setObjectName(QStringLiteral("RecordingsDialog"));
    openFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    auto* layout = new QVBoxLayout(this);
    lstRecordings = new QTreeWidget(this);
    lstRecordings->setObjectName(QStringLiteral("lstRecordings"));
    lstRecordings->setRootIsDecorated(false);
    lstRecordings->setColumnCount(4);
    lstRecordings->header()->setStretchLastSection(true);
    lblReason = new QLabel(this);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    lblReason->setWordWrap(true);
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    cmdRemove = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdOpenFile = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    cmdOpenFile->setObjectName(QStringLiteral("cmdOpenFile"));
    layout->addWidget(lstRecordings, 1);
    layout->addWidget(lblReason);
    auto* margins = new QFormLayout;
    const ScheduleMargins kept = LoadScheduleMargins(m_runner.AppName());
    auto addMinutes = [this, margins](QLabel*& label, QSpinBox*& box, const char* name,
                                      std::int64_t seconds) {
        label = new QLabel(this);
        box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0, static_cast<int>(kMaxMargin / 60));
        box->setValue(static_cast<int>(seconds / 60));
        label->setBuddy(box);
        margins->addRow(label, box);
        connect(box, &QSpinBox::valueChanged, this, &RecordingsDialog::SaveMargins);
    };
    addMinutes(lblBefore, spnBefore, "spnBefore", kept.before);
    addMinutes(lblAfter, spnAfter, "spnAfter", kept.after);
    addMinutes(lblLead, spnLead, "spnLead", kept.lead);
    layout->addLayout(margins);
    layout->addWidget(lblNote);
    layout->addWidget(buttons);
    resize(640, 360);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstRecordings, &QTreeWidget::currentItemChanged, this, &RecordingsDialog::ShowSelected);
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        if (const std::uint64_t id = SelectedId())
            m_runner.Remove(id);
    });
    connect(cmdOpenFile, &QPushButton::clicked, this, [this] {
        if (const ScheduleEntry* entry = m_runner.Plan().Find(SelectedId()))
            openFile(QString::fromStdString(entry->file));
    });
    connect(&m_runner, &ScheduleRunner::Changed, this, &RecordingsDialog::Fill);
    KeepTranslated(this, [this] { RetranslateUi(); });
    Fill();
}

void RecordingsDialog::SaveMargins() {
    SaveScheduleMargins(m_runner.AppName(), {spnBefore->value() * std::int64_t{60},
                                             spnAfter->value() * std::int64_t{60},
                                             spnLead->value() * std::int64_t{60}});
}

void RecordingsDialog::RetranslateUi() {
    setWindowTitle(tr("Recordings"));
    lblBefore->setText(tr("Start recordings early by:"));
    lblAfter->setText(tr("End recordings late by:"));
    lblLead->setText(tr("Remind me early by:"));
    for (QSpinBox* box : {spnBefore, spnAfter, spnLead})
        box->setSuffix(QLatin1Char(' ') + tr("min"));
    lstRecordings->setHeaderLabels({tr("Programme"), tr("Channel"), tr("Starts"), tr("State")});
    cmdRemove->setText(tr("Cancel Recording"));
    cmdOpenFile->setText(tr("Open File"));
    SetPlainText(*lblNote, tr("Recordings and reminders run only while the program is open: it "
                              "does not wake the computer or start by itself."));
    Fill();
}

std::uint64_t RecordingsDialog::SelectedId() const {
    const QTreeWidgetItem* item = lstRecordings->currentItem();
    return item ? item->data(0, Qt::UserRole).toULongLong() : 0;
}

void RecordingsDialog::Fill() {
    const std::uint64_t selected = SelectedId();
    lstRecordings->clear();
    const QLocale locale;
    for (const ScheduleEntry& entry : m_runner.Plan().Entries()) {
        auto* item = new QTreeWidgetItem(lstRecordings);
        const QString title = QString::fromStdString(entry.title);
        item->setText(0, CappedText(title, kTitleChars));
        item->setText(1, CappedText(QString::fromStdString(entry.channel), kTitleChars));
        item->setText(
            2, locale.toString(QDateTime::fromSecsSinceEpoch(entry.start), QLocale::ShortFormat));
        item->setText(3, StateText(entry));
        item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(entry.id));
        if (entry.id == selected)
            lstRecordings->setCurrentItem(item);
    }
    ShowSelected();
}

void RecordingsDialog::ShowSelected() {
    const ScheduleEntry* entry = m_runner.Plan().Find(SelectedId());
    const bool active =
        entry && (entry->state == EntryState::Scheduled || entry->state == EntryState::Running);
    cmdRemove->setEnabled(entry != nullptr);
    cmdRemove->setText(active && entry->kind == EntryKind::Recording ? tr("Cancel Recording")
                                                                     : tr("Remove"));
    cmdOpenFile->setEnabled(entry && !entry->file.empty() && entry->state != EntryState::Running);
    const bool failed = entry && entry->state == EntryState::Failed;
    SetPlainText(
        *lblReason,
        failed ? tr("Why it failed: %1").arg(QString::fromStdString(entry->reason)) : QString());
    lblReason->setVisible(failed);
}

}  // namespace quorvel
