#include "shell/modIcon.h"

#include <QFile>
#include <QIcon>
#include <QWidget>

namespace quorvel {

QIcon IconOfResources(const QString& name) {
    // One picture per size, drawn for that size, so small icons stay crisp.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        const QString file = QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

void SetWindowIcon(QWidget* window, const QString& name, IconTarget target) {
    const QIcon icon = IconOfResources(name);
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
