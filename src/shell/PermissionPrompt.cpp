#include "shell/PermissionPrompt.h"

#include "settings/PermissionQuestion.h"

#include <QMessageBox>
#include <QPointer>

namespace quorvel {

void InstallPermissionMessageBox(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    SetPermissionQuestion([owner](const std::string& title, const std::string& text) {
        const auto button = QMessageBox::warning(
            owner.data(), QString::fromStdString(title), QString::fromStdString(text),
            QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort);
        switch (button) {
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
