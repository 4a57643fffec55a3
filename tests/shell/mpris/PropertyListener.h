#pragma once

#include "QtPrivateBus.h"

#include <QDBusConnection>
#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <QVariantMap>

namespace quorvel::test {

// Collects the player's property changes as the desktop sees them.
class PropertyListener : public QObject {
    Q_OBJECT
public:
    explicit PropertyListener(QDBusConnection bus) {
        bus.connect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                    "PropertiesChanged", this, SLOT(OnChanged(QString, QVariantMap, QStringList)));
        bus.connect(QString(), "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player", "Seeked",
                    this, SLOT(OnSeeked(qlonglong)));
    }

    QVariantMap latest;

    // Waits until a change says `name` is `value` (or it was already said).
    bool WaitFor(const QString& name, const QVariant& value) {
        QSignalSpy changed(this, &PropertyListener::Changed);
        while (latest.value(name) != value) {
            if (!changed.wait(20000))
                return false;
        }
        return true;
    }

Q_SIGNALS:
    void Changed();
    void Seeked(qlonglong position);

private Q_SLOTS:
    void OnChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        for (auto it = changed.begin(); it != changed.end(); ++it)
            latest.insert(it.key(), it.value());
        Q_EMIT Changed();
    }
    void OnSeeked(qlonglong position) { Q_EMIT Seeked(position); }
};

}  // namespace quorvel::test
