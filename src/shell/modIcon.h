#pragma once

#include <QString>

class QWidget;

namespace quorvel {

enum class IconTarget { WindowOnly, AlsoOwner };

// Gives the window the named icon of the resources (every size it holds, so the desktop
// picks its large and small one). With AlsoOwner the window's top-level owner gets it first.
// A name the resources lack clears the icon.
void SetWindowIcon(QWidget* window, const QString& name, IconTarget target);

}  // namespace quorvel
