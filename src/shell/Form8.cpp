#include "shell/Form8.h"

#include "appearance/FileExists.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "settings/SettingsStore.h"
#include "shell/help/HelpWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace quorvel {
namespace {

bool OpenLocalFile(const std::filesystem::path& path) {
    return QDesktopServices::openUrl(
        QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path.string()))));
}

}  // namespace

Form8::Form8(QWidget* parent) : Form(QStringLiteral("Form8"), parent) {}

void Form8::Form_Load(HelpRequest request) {
    Resize(0, 0);
    setVisible(false);
    const std::filesystem::path chm = ProgramFileToRead("Help.chm");
    if (FileExists(chm.string())) {
        OpenLocalFile(chm);
        SaveMachineSetting(CurrentVersionInfo().productName, "Settings", "showHelp", "0");
        return;
    }
    // The guide in a window of our own: a desktop without a web browser shows it too. A
    // missing guide is said there as well.
    if (request == HelpRequest::ViewHelp)
        ShowUserGuide(ProgramFileToRead(kUserGuideFileName));
}

void ShowHelpPrompt(HelpRequest request) {
    auto* form = Form::Load<Form8>();
    form->Form_Load(request);
    QCoreApplication::processEvents();
    form->Unload();
}

}  // namespace quorvel
