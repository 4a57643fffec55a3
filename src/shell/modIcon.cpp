#include "shell/modIcon.h"

#include <QIcon>
#include <QWidget>

namespace quorvel {

void SetWindowIcon(QWidget* window, const QString& name, IconTarget target) {
    const QIcon icon(QStringLiteral(":/icons/%1.ico").arg(name));
    if (target == IconTarget::AlsoOwner) {
        QWidget* owner = window;
        while (owner->parentWidget())
            owner = owner->parentWidget()->window();
        if (owner != window)
            owner->setWindowIcon(icon);
    }
    window->setWindowIcon(icon);
}

}  // namespace quorvel
