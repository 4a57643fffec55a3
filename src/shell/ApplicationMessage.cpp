#include "shell/ApplicationMessage.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "shell/widgets/PlainText.h"

namespace quorvel {

void ShowApplicationMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok, parent);
    SetPlainMessage(box, QCoreApplication::applicationName(), text);
    box.exec();
}

}  // namespace quorvel
