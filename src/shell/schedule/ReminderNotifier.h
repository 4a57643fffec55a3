#pragma once

#include "schedule/ScheduleEntry.h"

#include <QDBusConnection>
#include <QDialog>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>

#include <map>

class QDBusPendingCallWatcher;

namespace quorvel {

// Tells a reminder as a desktop notification (org.freedesktop.Notifications) with a
// "Watch" action; where no notification service answers, in a small window of its own.
class ReminderNotifier : public QObject {
    Q_OBJECT
public:
    explicit ReminderNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);
    ~ReminderNotifier() override;

    void Show(const ScheduleEntry& entry);
    // The window shown for the last reminder without a notification service, while it is open.
    QDialog* Window() const { return m_window; }

Q_SIGNALS:
    // "Watch" was chosen: the reminder's channel should play.
    void WatchRequested(const quorvel::ScheduleEntry& entry);
    // The reminder is on screen, as a notification or as the window.
    void Shown(bool asNotification);

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void OnNotified(QDBusPendingCallWatcher* call, const ScheduleEntry& entry);
    void ShowWindow(const ScheduleEntry& entry);

    QDBusConnection m_bus;
    std::map<uint, ScheduleEntry> m_shown;
    QPointer<QDialog> m_window;
};

}  // namespace quorvel

Q_DECLARE_METATYPE(quorvel::ScheduleEntry)
