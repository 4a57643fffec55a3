#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "shell/Form1.h"
#include "shell/PermissionPrompt.h"
#include "shell/desktop/DesktopIntegration.h"
#include "shell/frmSplash.h"

#include <QApplication>
#include <QFile>

#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // libmpv needs the C numeric locale, and QApplication has just set the user's one.
    std::setlocale(LC_NUMERIC, "C");

    quorvel::LoadProductInfo();
    const quorvel::BrandingValues& branding = quorvel::Branding();
    QApplication::setApplicationName(QString::fromStdString(branding.ProgramName));
    QApplication::setOrganizationName(QString::fromStdString(branding.CompanyName));
    QApplication::setApplicationVersion(
        QString::fromStdString(quorvel::VersionLabel(quorvel::CurrentVersionInfo())));

    // The program's own files live beside the executable, or in the installed data folder.
    quorvel::SetApplicationFolder(quorvel::ApplicationFolderFor(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));

    quorvel::InstallPermissionMessageBox(nullptr);
    // The splash hands over to the main window about a second later; a second instance
    // ends there, before its main window is shown.
    auto* splash = new quorvel::frmSplash([]() -> QWidget* {
        auto* form1 = new quorvel::Form1;
        quorvel::InstallPermissionMessageBox(form1);
        if (!form1->Form_Load()) {
            delete form1;
            quorvel::RaiseRunningInstance();
            return nullptr;
        }
        quorvel::StartDesktopIntegration(*form1);
        return form1;
    });
    splash->Form_Load();
    return app.exec();
}
