#include "shell/player/PlayerErrorDialog.h"

#include <QApplication>
#include <QMessageBox>

namespace quorvel {

QString PlayerErrorDialog::Message(const QString& address) {
    return QApplication::translate("MediaPlayer", "Cannot play \"%1\".").arg(address);
}

void PlayerErrorDialog::Present(const QString& address, const QString& reason) {
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                QString(), QMessageBox::Ok, m_parent);
        m_box->setObjectName(QStringLiteral("playerErrorDialog"));
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setModal(false);
    }
    m_box->setText(Message(address));
    m_box->setInformativeText(reason);
    m_box->show();
    m_box->raise();
}

}  // namespace quorvel
