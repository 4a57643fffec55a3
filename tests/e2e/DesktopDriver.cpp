#include "DesktopDriver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <chrono>

namespace quorvel::test {
namespace {

std::string WindowName(Display* display, Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name) {
        result = name;
        XFree(name);
    }
    if (!result.empty())
        return result;
    // Qt names its windows in UTF-8 as well.
    XTextProperty property{};
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    if (XGetTextProperty(display, window, &property, netName) && property.value) {
        result.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return result;
}

}  // namespace

DesktopDriver::DesktopDriver() : m_display(XOpenDisplay(nullptr)) {
    if (!m_display)
        return;
    int event = 0, error = 0, major = 0, minor = 0;
    m_xtest = XTestQueryExtension(m_display, &event, &error, &major, &minor);
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    XSync(m_display, False);
}

DesktopDriver::~DesktopDriver() {
    if (m_display)
        XCloseDisplay(m_display);
}

bool DesktopDriver::Ready() const {
    return m_display && m_xtest;
}

unsigned long DesktopDriver::WaitForWindow(const std::string& name, int timeoutMs) {
    if (!m_display)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == MapNotify &&
                (name.empty() || WindowName(m_display, event.xmap.window) == name))
                return event.xmap.window;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return 0;
        // Sleeps until the server sends something.
        pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
    }
}

void DesktopDriver::Click(unsigned long window, int x, int y, int button, int count) {
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(m_display, -1, rootX, rootY, CurrentTime);
    for (int i = 0; i < count; ++i) {
        XTestFakeButtonEvent(m_display, static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(m_display, static_cast<unsigned>(button), False, CurrentTime);
    }
    XFlush(m_display);
}

}  // namespace quorvel::test
