#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <mpv/client.h>

#include <string>

namespace quorvel::test {

// Processes events until the condition holds or the time is up; every wait in the player
// tests goes through here so that a stuck engine fails the test instead of hanging it.
template <typename Pred>
bool WaitUntil(Pred&& condition, int timeoutMs = 8000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

inline void Pump(int ms) {
    WaitUntil([] { return false; }, ms);
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
