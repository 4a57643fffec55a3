#pragma once

#include <string>

struct _XDisplay;  // Xlib's Display

namespace quorvel::test {

// Drives the windows of another program on the test's X display: waits for one of its
// top-level windows to be mapped and clicks into it through the XTEST extension, as a user
// would. Listens from construction on, so a window mapped after that is never missed.
class DesktopDriver {
public:
    DesktopDriver();
    ~DesktopDriver();
    DesktopDriver(const DesktopDriver&) = delete;
    DesktopDriver& operator=(const DesktopDriver&) = delete;

    // False when there is no display or no XTEST.
    bool Ready() const;

    // The first top-level window mapped from now on whose name is exactly `name` (any
    // window for an empty name); 0 when none came within the timeout (a failure guard only).
    unsigned long WaitForWindow(const std::string& name, int timeoutMs);

    // A click at a point of the window, in its own coordinates: button 1 is the left one,
    // 3 the right one; count 2 makes a double click.
    void Click(unsigned long window, int x, int y, int button = 1, int count = 1);

private:
    ::_XDisplay* m_display = nullptr;
    bool m_xtest = false;
};

}  // namespace quorvel::test
