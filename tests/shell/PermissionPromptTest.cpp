#include "settings/PermissionQuestion.h"
#include "shell/PermissionPrompt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace quorvel {
namespace {

// Presses `button` on the message box once it is up, and records what it showed.
struct BoxPresser {
    QMessageBox::StandardButton button;
    QString title;
    QString text;
    int buttons = 0;

    void Arm() {
        QTimer::singleShot(20, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return Arm();
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            box->button(button)->click();
        });
    }
};

TEST(PermissionPrompt, MessageBoxOffersAbortRetryIgnoreAndReportsTheChoice) {
    const PermissionQuestion previous = SetPermissionQuestion({});
    InstallPermissionMessageBox(nullptr);
    const std::string text = PermissionDeniedText("Quorvel");

    for (auto [button, answer] : {std::pair{QMessageBox::Retry, PermissionAnswer::Retry},
                                  std::pair{QMessageBox::Ignore, PermissionAnswer::Ignore},
                                  std::pair{QMessageBox::Abort, PermissionAnswer::Abort}}) {
        BoxPresser presser{button, {}, {}};
        presser.Arm();
        EXPECT_EQ(AskPermissionQuestion(std::string(kPermissionDeniedTitle), text), answer);
        EXPECT_EQ(presser.title, "Permission Denied");
        EXPECT_EQ(presser.text, QString::fromStdString(text));
        EXPECT_EQ(presser.buttons, 3);
    }
    SetPermissionQuestion(previous);
}

}  // namespace
}  // namespace quorvel
