#pragma once

#include "shell/forms/Form.h"

class QCloseEvent;
class QLabel;

namespace quorvel {

// The about window: product name, version, company and web site of the build.
class frmAbout : public Form {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();

    QLabel* Label1 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblWebsite = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* SkinLabel1 = nullptr;  // element 0, the template of skinned copies

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CopyLabelsToSkinLabels();
};

// Loads the about window (or takes the loaded one) and shows it, without owner, not modal.
frmAbout* ShowAboutWindow();

}  // namespace quorvel
