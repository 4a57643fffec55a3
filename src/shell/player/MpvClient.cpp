#include "shell/player/MpvClient.h"

#include "threads/ThreadEdge.h"

#include <QMetaObject>

namespace quorvel {
namespace {

constexpr int kDrainEvents = 64;

}  // namespace

MpvClient::MpvClient(mpv_handle* engine, const char* name, Handler handler, QObject* parent)
    : QObject(parent),
      m_handle(engine ? mpv_create_client(engine, name) : nullptr),
      m_handler(std::move(handler)) {
    if (!m_handle)
        return;
    // Called on an engine thread, inside its C code: only hand the work to the GUI thread,
    // and throw nothing. A drain that could not be asked for is asked for at the next wakeup.
    mpv_set_wakeup_callback(
        m_handle,
        [](void* self) {
            auto* client = static_cast<MpvClient*>(self);
            if (client->m_drainQueued.exchange(true))
                return;
            RunAtThreadEdge(
                [client] {
                    QMetaObject::invokeMethod(client, &MpvClient::Drain, Qt::QueuedConnection);
                },
                [client](const std::string&) { client->m_drainQueued = false; });
        },
        this);
}

MpvClient::~MpvClient() {
    if (!m_handle)
        return;
    mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    mpv_destroy(m_handle);
}

void MpvClient::Drain() {
    m_drainQueued = false;
    for (int i = 0; i < kDrainEvents; ++i) {
        const mpv_event* event = mpv_wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        m_handler(*event);
    }
    // More than one drain's worth: the rest after the window had its turn.
    if (!m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(this, &MpvClient::Drain, Qt::QueuedConnection);
}

}  // namespace quorvel
