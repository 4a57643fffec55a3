#include "shell/ApplicationMessage.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace quorvel {

void ShowApplicationMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

}  // namespace quorvel
