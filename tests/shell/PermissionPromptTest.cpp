#include "settings/PermissionQuestion.h"
#include "shell/PermissionPrompt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QMetaObject>

namespace quorvel {
namespace {

// Presses `button` on the message box once it shows, and records what it showed.
class BoxPresser : public QObject {
public:
    explicit BoxPresser(QMessageBox::StandardButton button) : m_button(button) {
        qApp->installEventFilter(this);
    }
    ~BoxPresser() override { qApp->removeEventFilter(this); }

    QString title;
    QString text;
    int buttons = 0;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show) {
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            // Pressed from the box's own event loop, once it runs.
            QMetaObject::invokeMethod(
                box, [box, button = m_button] { box->button(button)->click(); },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QMessageBox::StandardButton m_button;
};

TEST(PermissionPrompt, MessageBoxOffersAbortRetryIgnoreAndReportsTheChoice) {
    const PermissionQuestion previous = SetPermissionQuestion({});
    InstallPermissionMessageBox(nullptr);
    const std::string text = PermissionDeniedText("Quorvel");

    for (auto [button, answer] : {std::pair{QMessageBox::Retry, PermissionAnswer::Retry},
                                  std::pair{QMessageBox::Ignore, PermissionAnswer::Ignore},
                                  std::pair{QMessageBox::Abort, PermissionAnswer::Abort}}) {
        BoxPresser presser(button);
        EXPECT_EQ(AskPermissionQuestion(std::string(kPermissionDeniedTitle), text), answer);
        EXPECT_EQ(presser.title, "Permission Denied");
        EXPECT_EQ(presser.text, QString::fromStdString(text));
        EXPECT_EQ(presser.buttons, 3);
    }
    SetPermissionQuestion(previous);
}

}  // namespace
}  // namespace quorvel
