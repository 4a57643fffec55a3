#include "shell/PermissionPrompt.h"

#include "settings/PermissionQuestion.h"
#include "shell/widgets/PlainText.h"

#include <QMessageBox>
#include <QPointer>

namespace quorvel {

void InstallPermissionMessageBox(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    SetPermissionQuestion([owner](const std::string& title, const std::string& text) {
        QMessageBox box(QMessageBox::Warning, QString(), QString(),
                        QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
                        owner.data());
        box.setDefaultButton(QMessageBox::Abort);
        SetPlainMessage(box, QString::fromStdString(title), QString::fromStdString(text));
        switch (box.exec()) {
            case QMessageBox::Retry:
                return PermissionAnswer::Retry;
            case QMessageBox::Ignore:
                return PermissionAnswer::Ignore;
            default:
                return PermissionAnswer::Abort;
        }
    });
}

}  // namespace quorvel
