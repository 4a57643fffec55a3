#include "shell/WindowPlacementKeeper.h"

#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace quorvel {
namespace {

// A move or resize by the mouse sends events all the way: store once it has stopped.
constexpr int kSettleMs = 500;

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

std::vector<PixelRect> ScreenAreas() {
    std::vector<PixelRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(ToPixelRect(screen->availableGeometry()));
    return areas;
}

}  // namespace

WindowPlacementKeeper::WindowPlacementKeeper(QWidget* window, std::string appName,
                                             std::string section, std::string key)
    : QObject(window),
      m_window(window),
      m_appName(std::move(appName)),
      m_section(std::move(section)),
      m_key(std::move(key)),
      m_settle(new QTimer(this)) {
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &WindowPlacementKeeper::Save);
    Restore();
    window->installEventFilter(this);
}

void WindowPlacementKeeper::Restore() {
    const std::optional<WindowPlacement> placement =
        ParseWindowPlacement(GetSetting(m_appName, m_section, m_key, ""));
    if (!placement || !TitleBarReachable(placement->normal, ScreenAreas()))
        return;
    const PixelRect& r = placement->normal;
    m_window->setGeometry(r.left, r.top, r.width, r.height);
    if (placement->maximized)
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
}

void WindowPlacementKeeper::Save() {
    m_settle->stop();
    const Qt::WindowStates state = m_window->windowState();
    WindowPlacement placement;
    // Maximized, full screen or minimized, the window returns to its normal place.
    placement.normal =
        ToPixelRect(state & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)
                        ? m_window->normalGeometry()
                        : m_window->geometry());
    placement.maximized = state.testFlag(Qt::WindowMaximized);
    if (!ParseWindowPlacement(FormatWindowPlacement(placement)))
        return;  // nothing the next start could use
    SaveSetting(m_appName, m_section, m_key, FormatWindowPlacement(placement));
}

bool WindowPlacementKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                if (m_window->isVisible())
                    m_settle->start();
                break;
            case QEvent::Close:
                Save();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quorvel
