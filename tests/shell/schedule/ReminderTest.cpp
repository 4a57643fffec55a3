// Reminders told on a session bus of the test's own, to a notification service of its own.
#include "shell/schedule/ReminderNotifier.h"
#include "shell/schedule/ScheduleRunner.h"

#include "QtPrivateBus.h"
#include "ScopedHives.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace quorvel {
namespace {

constexpr std::int64_t kFilmStart = 1900000000;

// The desktop's notification service, as small as it can be: it keeps what it was asked.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QString summary;
    QString body;
    QStringList actions;
    int calls = 0;

public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& aSummary, const QString& aBody,
                const QStringList& anActions, const QVariantMap&, int) {
        summary = aSummary;
        body = aBody;
        actions = anActions;
        return static_cast<uint>(++calls + 40);
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions")}; }
};

ScheduleEntry Reminder() {
    ScheduleEntry entry;
    entry.kind = EntryKind::Reminder;
    entry.channel = "Cinema <b>One</b>";
    entry.title = "The Film & Co";
    entry.start = kFilmStart;
    entry.stop = kFilmStart + 3600;
    return entry;
}

TEST(Reminder, AtItsLeadTimeANotificationOffersToWatchAndWatchPlaysTheChannel) {
    const test::ScopedHives hives;
    test::PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty());
    QDBusConnection serviceSide = bus.Connect(QStringLiteral("service"));
    NotificationService service;
    ASSERT_TRUE(serviceSide.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                           &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serviceSide.registerService(QStringLiteral("org.freedesktop.Notifications")));

    std::int64_t now = kFilmStart - 3600;
    ScheduleRunner runner("QuorvelReminderTest", [&] { return now; });
    ReminderNotifier notifier(bus.Connect(QStringLiteral("client")));
    QObject::connect(&runner, &ScheduleRunner::ReminderDue, &notifier, &ReminderNotifier::Show);
    QSignalSpy shown(&notifier, &ReminderNotifier::Shown);
    QSignalSpy watch(&notifier, &ReminderNotifier::WatchRequested);
    ASSERT_NE(runner.Add(Reminder()).id, 0u);

    now = kFilmStart - 61;  // a second before the minute of lead
    runner.CheckNow();
    now = kFilmStart - 60;
    runner.CheckNow();
    ASSERT_TRUE(shown.wait(15000));
    EXPECT_TRUE(shown.at(0).at(0).toBool());
    EXPECT_EQ(service.calls, 1);
    EXPECT_EQ(service.summary, QStringLiteral("The Film & Co"));
    // The body may be read as markup: the channel's name is escaped.
    EXPECT_TRUE(service.body.startsWith(QStringLiteral("Cinema &lt;b&gt;One&lt;/b&gt; at ")))
        << service.body.toStdString();
    EXPECT_TRUE(service.actions.contains(QStringLiteral("watch")));

    // A second check at the same time tells nothing again.
    runner.CheckNow();
    EXPECT_EQ(runner.Plan().Entries().front().state, EntryState::Finished);

    QDBusMessage invoked = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    invoked << uint(41) << QStringLiteral("watch");
    ASSERT_TRUE(serviceSide.send(invoked));
    ASSERT_TRUE(watch.wait(15000));
    EXPECT_EQ(qvariant_cast<ScheduleEntry>(watch.at(0).at(0)).channel, "Cinema <b>One</b>");
    EXPECT_EQ(service.calls, 1);
}

TEST(Reminder, WithoutANotificationServiceAWindowOfItsOwnTellsIt) {
    test::PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty());
    ReminderNotifier notifier(bus.Connect(QStringLiteral("client")));
    QSignalSpy shown(&notifier, &ReminderNotifier::Shown);
    QSignalSpy watch(&notifier, &ReminderNotifier::WatchRequested);
    notifier.Show(Reminder());
    ASSERT_TRUE(shown.wait(15000));
    EXPECT_FALSE(shown.at(0).at(0).toBool());
    QDialog* window = notifier.Window();
    ASSERT_NE(window, nullptr);
    const auto* title = window->findChild<QLabel*>(QStringLiteral("title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("The Film & Co"));
    EXPECT_EQ(title->textFormat(), Qt::PlainText);
    window->findChild<QPushButton*>(QStringLiteral("watch"))->click();
    EXPECT_EQ(watch.count(), 1);
}

}  // namespace
}  // namespace quorvel

#include "ReminderTest.moc"
