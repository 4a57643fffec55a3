#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace quorvel {

enum class IconTarget { WindowOnly, AlsoOwner };

// The named icon of the resources with every size it is drawn in (":/icons/<name>-<px>.png");
// empty when the resources have no such icon.
QIcon IconOfResources(const QString& name);

// Gives the window the named icon of the resources (every size it holds, so the desktop
// picks its large and small one). With AlsoOwner the window's top-level owner gets it first.
// A name the resources lack clears the icon.
void SetWindowIcon(QWidget* window, const QString& name, IconTarget target);

}  // namespace quorvel
