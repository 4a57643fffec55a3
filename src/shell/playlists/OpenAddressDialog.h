#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;

namespace quorvel {

// "Open Address...": one address typed or pasted, or picked from the recent ones.
class OpenAddressDialog : public QDialog {
    Q_OBJECT
public:
    OpenAddressDialog(const QStringList& recent, QWidget* parent = nullptr);

    QComboBox* cboAddress = nullptr;
    QString Address() const;
};

}  // namespace quorvel
