#include "shell/schedule/ReminderNotifier.h"

#include "shell/widgets/PlainText.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kWatchAction = QStringLiteral("watch");
// How long the service waits for an answer before the window stands in.
constexpr int kCallTimeoutMs = 5000;

QString Title(const ScheduleEntry& entry) {
    return QString::fromStdString(entry.title.empty() ? entry.channel : entry.title);
}

QString Line(const ScheduleEntry& entry) {
    const QDateTime start = QDateTime::fromSecsSinceEpoch(entry.start);
    return ReminderNotifier::tr("%1 at %2")
        .arg(QString::fromStdString(entry.channel),
             QLocale().toString(start.time(), QLocale::ShortFormat));
}

// A notification's body may be read as markup by the service.
QString Escaped(const QString& text) {
    return CappedText(text).toHtmlEscaped();
}

}  // namespace

ReminderNotifier::ReminderNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    if (m_bus.isConnected()) {
        m_bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                      SLOT(OnActionInvoked(uint, QString)));
        m_bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                      SLOT(OnClosed(uint, uint)));
    }
}

ReminderNotifier::~ReminderNotifier() {
    delete m_window.data();
}

void ReminderNotifier::Show(const ScheduleEntry& entry) {
    if (!m_bus.isConnected()) {
        ShowWindow(entry);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Quorvel") << uint(0) << QStringLiteral("quorvel")
         << CappedText(Title(entry), kTitleChars) << Escaped(Line(entry))
         << QStringList{QStringLiteral("default"), tr("Watch"), kWatchAction, tr("Watch")}
         << QVariantMap{{QStringLiteral("category"), QStringLiteral("x-quorvel.reminder")}}
         << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, entry](QDBusPendingCallWatcher* done) { OnNotified(done, entry); });
}

void ReminderNotifier::OnNotified(QDBusPendingCallWatcher* call, const ScheduleEntry& entry) {
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        ShowWindow(entry);
        return;
    }
    m_shown[reply.value()] = entry;
    Q_EMIT Shown(true);
}

void ReminderNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto it = m_shown.find(id);
    if (it == m_shown.end())
        return;
    if (action == kWatchAction || action == QLatin1String("default"))
        Q_EMIT WatchRequested(it->second);
}

void ReminderNotifier::OnClosed(uint id, uint) {
    m_shown.erase(id);
}

void ReminderNotifier::ShowWindow(const ScheduleEntry& entry) {
    auto* window = new QDialog;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(CappedText(Title(entry), kTitleChars));
    auto* layout = new QVBoxLayout(window);
    auto* title = new QLabel(window);
    title->setObjectName(QStringLiteral("title"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    SetPlainText(*title, Title(entry));
    auto* line = new QLabel(window);
    SetPlainText(*line, Line(entry));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QPushButton* watch = buttons->addButton(tr("Watch"), QDialogButtonBox::AcceptRole);
    watch->setObjectName(QStringLiteral("watch"));
    watch->setDefault(true);
    layout->addWidget(title);
    layout->addWidget(line);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    connect(watch, &QPushButton::clicked, this, [this, window, entry] {
        Q_EMIT WatchRequested(entry);
        window->close();
    });
    delete m_window.data();
    m_window = window;
    window->show();
    Q_EMIT Shown(false);
}

}  // namespace quorvel
