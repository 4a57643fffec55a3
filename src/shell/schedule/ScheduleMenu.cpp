#include "shell/schedule/ScheduleMenu.h"

#include "appearance/ProductInfo.h"
#include "shell/Form1.h"
#include "shell/player/MediaPlayer.h"
#include "shell/schedule/RecordingsDialog.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

namespace quorvel {

ScheduleMenu::ScheduleMenu(Form1* form, ScheduleRunner::Clock clock)
    : QObject(form), m_form(form), m_runner(Branding().ProgramName, std::move(clock)) {
    mnuRecordings = new QAction(this);
    mnuRecordings->setObjectName(QStringLiteral("mnuRecordings"));
    // Before the separator that leads to Exit.
    const QList<QAction*> actions = form->mnuFile->actions();
    QAction* before = actions.size() >= 2 ? actions.at(actions.size() - 2) : nullptr;
    form->mnuFile->insertAction(before, mnuRecordings);
    connect(mnuRecordings, &QAction::triggered, this, &ScheduleMenu::mnuRecordings_Click);
    connect(&m_runner, &ScheduleRunner::ReminderDue, &m_notifier, &ReminderNotifier::Show);
    connect(&m_notifier, &ReminderNotifier::WatchRequested, this, &ScheduleMenu::Watch);
    KeepTranslated(this, [this] { RetranslateUi(); });
}

void ScheduleMenu::RetranslateUi() {
    mnuRecordings->setText(tr("Recordings..."));
}

void ScheduleMenu::Start() {
    m_runner.Load();
    // One message for all: a damaged settings file could hold many.
    QStringList problems;
    for (const std::string& problem : m_runner.Problems())
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty())
        tell(m_form, problems.join(QLatin1Char('\n')));
}

void ScheduleMenu::mnuRecordings_Click() {
    RecordingsDialog dialog(m_runner, m_form);
    dialog.exec();
}

void ScheduleMenu::Watch(const ScheduleEntry& entry) {
    MediaPlayer* player = m_form->WindowsMediaPlayer1;
    if (!player)
        return;
    player->setChannelName(QString::fromStdString(entry.channel));
    player->setUrlWithHeaders(QString::fromStdString(entry.address), entry.userAgent,
                              entry.referrer);
    m_form->raise();
    m_form->activateWindow();
}

}  // namespace quorvel
