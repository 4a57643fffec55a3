#pragma once

#include "shell/ApplicationMessage.h"
#include "shell/schedule/ReminderNotifier.h"
#include "shell/schedule/ScheduleRunner.h"

#include <QObject>

class QAction;

namespace quorvel {

class Form1;

// Scheduled recordings and reminders in the main window: File > Recordings..., the runner
// behind it, and a reminder's Watch playing its channel. It lives as long as the window.
class ScheduleMenu : public QObject {
    Q_OBJECT
public:
    explicit ScheduleMenu(Form1* form, ScheduleRunner::Clock clock = ScheduleRunner::WallClock);

    QAction* mnuRecordings = nullptr;

    // Reads the plan once the window is up; damaged entries are told through `tell`.
    void Start();
    void mnuRecordings_Click();
    ScheduleRunner& Runner() { return m_runner; }

    MessagePresenter tell = ShowApplicationMessage;

private:
    void Watch(const ScheduleEntry& entry);
    void RetranslateUi();

    Form1* m_form;
    ScheduleRunner m_runner;
    ReminderNotifier m_notifier;
};

}  // namespace quorvel
