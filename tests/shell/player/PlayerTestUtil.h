#pragma once

#include "shell/player/MpvSession.h"
#include "shell/player/SessionOptions.h"

#include "LocalHttpServer.h"

#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>

#include <mpv/client.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::test {

// How long a wait may take before the run counts as stuck; never a pace.
constexpr int kGuardMs = 15000;

// Runs the event loop until a condition holds, looking at it again only after one of the
// given signals or events has come (and whoever sent it is done with it).
class SignalWait {
public:
    template <typename Sender, typename Signal>
    SignalWait& On(const Sender* sender, Signal signal) {
        QObject::connect(sender, signal, &m_context, [this] { QueueCheck(); });
        return *this;
    }
    // Events of this type reaching the object, for what has no signal (a resize).
    SignalWait& OnEvent(QObject* target, QEvent::Type type) {
        m_filters.push_back(std::make_unique<Filter>(type, [this] { QueueCheck(); }));
        target->installEventFilter(m_filters.back().get());
        return *this;
    }
    bool Until(std::function<bool()> condition, int guardMs = kGuardMs) {
        if (condition())
            return true;
        m_condition = std::move(condition);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        guard.start(guardMs);
        m_loop.exec();
        return m_condition();
    }

private:
    class Filter : public QObject {
    public:
        Filter(QEvent::Type type, std::function<void()> seen)
            : m_type(type), m_seen(std::move(seen)) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == m_type)
                m_seen();
            return false;
        }

    private:
        QEvent::Type m_type;
        std::function<void()> m_seen;
    };

    void QueueCheck() {
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                if (m_condition && m_condition())
                    m_loop.quit();
            },
            Qt::QueuedConnection);
    }

    std::function<bool()> m_condition;
    QEventLoop m_loop;
    std::vector<std::unique_ptr<Filter>> m_filters;
    // Goes first, taking its connections and queued checks with it.
    QObject m_context;
};

// A client of its own on the engine, to follow the engine's properties as they change
// without taking events from the session.
class MpvWatch : public QObject {
    Q_OBJECT
public:
    MpvWatch(mpv_handle* engine, std::initializer_list<const char*> names)
        : m_handle(mpv_create_client(engine, "test-watch")) {
        if (!m_handle)
            return;
        for (const char* name : names)
            mpv_observe_property(m_handle, 0, name, MPV_FORMAT_STRING);
        mpv_set_wakeup_callback(
            m_handle,
            [](void* self) {
                auto* watch = static_cast<MpvWatch*>(self);
                QMetaObject::invokeMethod(watch, &MpvWatch::Drain, Qt::QueuedConnection);
            },
            this);
    }
    // Before the engine goes: its end waits for every client.
    ~MpvWatch() override {
        if (m_handle) {
            mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
            mpv_destroy(m_handle);
        }
    }

    // The property's last value; "?" before the engine told it, "" while it is unavailable.
    std::string Value(const std::string& name) const {
        const auto it = m_values.find(name);
        return it == m_values.end() ? std::string("?") : it->second;
    }
    bool WaitFor(const std::string& name, const std::string& value, int guardMs = kGuardMs) {
        return SignalWait()
            .On(this, &MpvWatch::Changed)
            .Until([&] { return Value(name) == value; }, guardMs);
    }

Q_SIGNALS:
    void Changed();

private:
    void Drain() {
        bool changed = false;
        for (;;) {
            const mpv_event* event = mpv_wait_event(m_handle, 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            if (event->event_id != MPV_EVENT_PROPERTY_CHANGE)
                continue;
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            const bool isText = property->format == MPV_FORMAT_STRING && property->data;
            m_values[property->name] = isText ? *static_cast<char**>(property->data) : "";
            changed = true;
        }
        if (changed)
            Q_EMIT Changed();
    }

    mpv_handle* m_handle = nullptr;
    std::map<std::string, std::string> m_values;
};

// No picture and no sound card: what engine tests play into.
inline SessionOptions NullOutputs(
    int networkTimeoutSeconds = SessionOptions{}.networkTimeoutSeconds) {
    SessionOptions options;
    options.video = VideoOutput::Null;
    options.audioOutput = "null";
    options.networkTimeoutSeconds = networkTimeoutSeconds;
    return options;
}

// Every event the engine queued before this call has been handled once it returns: the
// session sees a volume change it asked for only after them.
inline bool RoundTrip(MpvSession& session) {
    const int volume = session.Volume() == 37 ? 38 : 37;
    session.SetVolume(volume);
    return SignalWait().On(&session, &MpvSession::VolumeChanged).Until([&] {
        return session.Volume() == volume;
    });
}

// Runs the event loop until the server has had `count` requests for the path: the engine
// may need the window's thread to get that far.
inline bool RunUntilRequested(const LocalHttpServer& server, const std::string& path, int count,
                              int guardMs = kGuardMs) {
    QEventLoop loop;
    std::atomic<bool> arrived{false};
    std::thread watcher([&] {
        arrived = server.WaitForRequests(path, count, guardMs);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    watcher.join();
    return arrived;
}

// Returns once everything posted before the call has been delivered.
inline bool DeliverPosted(int guardMs = kGuardMs) {
    QEventLoop loop;
    bool delivered = false;
    QMetaObject::invokeMethod(
        &loop,
        [&] {
            delivered = true;
            loop.quit();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(guardMs, &loop, &QEventLoop::quit);
    loop.exec();
    return delivered;
}

inline bool WaitForPosition(MpvSession& session, double seconds) {
    return SignalWait().On(&session, &MpvSession::PositionChanged).Until([&] {
        return session.Position() > seconds;
    });
}

inline std::string MpvString(mpv_handle* handle, const char* name) {
    char* value = mpv_get_property_string(handle, name);
    std::string text = value ? value : "";
    mpv_free(value);
    return text;
}

inline bool MpvIdle(mpv_handle* handle) {
    int flag = 0;
    mpv_get_property(handle, "idle-active", MPV_FORMAT_FLAG, &flag);
    return flag != 0;
}

}  // namespace quorvel::test
