#pragma once

#include "QtTestProcess.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>

namespace quorvel::test {

// A session bus of the test's own: a dbus-daemon started for it and stopped with it.
class PrivateBus {
public:
    PrivateBus() {
        EndWithTest(m_daemon);
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!m_daemon.waitForStarted(10000))
            return;
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished(10000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QString Address() const { return m_address; }
    QDBusConnection Connect(const QString& name) {
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

    // dbus-send with a printed reply, run without blocking the event loop, since the service
    // that answers lives in this very process.
    QString Send(const QString& destination, const QStringList& args) const {
        QProcess send;
        EndWithTest(send);
        send.start("dbus-send", QStringList{"--bus=" + m_address, "--print-reply",
                                            "--reply-timeout=20000", "--dest=" + destination} +
                                    args);
        QSignalSpy done(&send, &QProcess::finished);
        done.wait(30000);
        return QString::fromUtf8(send.readAllStandardOutput() + send.readAllStandardError());
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

}  // namespace quorvel::test
