#pragma once

#include <mpv/client.h>

#include <QObject>

#include <atomic>
#include <functional>

namespace quorvel {

// A client of its own on a running engine: its own events, replies and observed
// properties, so a feature beside the session neither takes the session's events nor
// adds to them. Events are handed over on the GUI thread; must go before the engine.
class MpvClient : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const mpv_event&)>;

    MpvClient(mpv_handle* engine, const char* name, Handler handler, QObject* parent = nullptr);
    // Aborts what this client still waits for, and waits for that to end.
    ~MpvClient() override;

    mpv_handle* Handle() const { return m_handle; }

private:
    void Drain();

    mpv_handle* m_handle = nullptr;
    Handler m_handler;
    std::atomic<bool> m_drainQueued = false;
};

}  // namespace quorvel
