#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "shell/CatalogueWindow.h"
#include "shell/PermissionPrompt.h"
#include "shell/StartPlayer.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

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
    const std::filesystem::path folder = quorvel::ApplicationFolderFor(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    quorvel::SetApplicationFolder(folder);
    quorvel::CatalogueWindow window(folder);
    quorvel::InstallPermissionMessageBox(&window);
    quorvel::AttachPlayer(window);
    window.show();
    // Listed once the window is up, so that a failure's message box has its owner on screen.
    QTimer::singleShot(0, &window, [&window] { window.LoadChannelList(); });
    return app.exec();
}
