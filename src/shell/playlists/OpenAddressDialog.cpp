#include "shell/playlists/OpenAddressDialog.h"

#include "shell/widgets/PlainText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quorvel {

OpenAddressDialog::OpenAddressDialog(const QStringList& recent, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Open Address"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("Address of a stream or playlist:"), this);
    label->setTextFormat(Qt::PlainText);
    cboAddress = new QComboBox(this);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setMinimumWidth(480);
    for (const QString& address : recent)
        AddCappedItem(*cboAddress, address);
    cboAddress->setEditText(QString());
    label->setBuddy(cboAddress);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(cboAddress);
    layout->addWidget(buttons);
    cboAddress->setFocus();
}

QString OpenAddressDialog::Address() const {
    return cboAddress->currentText().trimmed();
}

}  // namespace quorvel
