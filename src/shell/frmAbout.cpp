#include "shell/frmAbout.h"

#include "appearance/ProductInfo.h"
#include "shell/localization/frmLanguage.h"
#include "shell/skin/modSkin.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QShortcut>

namespace quorvel {
namespace {

QLabel* Place(QLabel* label, const QString& text, int left, int top, int width, int height,
              bool bold = false) {
    label->setText(text);
    label->setTextFormat(Qt::PlainText);  // branding texts are shown as they are
    QFont font(QStringLiteral("Verdana"), 9);
    font.setBold(bold);
    label->setFont(font);
    SetTwipsGeometry(label, left, top, width, height);
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : Form(QStringLiteral("frmAbout"), parent) {
    ResizeClient(6300, 3600);
    auto label = [this](const char* name, const QString& type) {
        return AddControl(new QLabel(ClientArea()), name, type);
    };
    Picture1 = label("Picture1", ControlType::PictureBox);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/about/banner.png")));
    Picture1->setScaledContents(true);
    SetTwipsGeometry(Picture1, 0, 0, 6300, 1350);

    Label1 = Place(label("Label1", ControlType::SkinLabel), "YourProgramName", 240, 1500, 5820, 360,
                   true);
    Label2 = Place(label("Label2", ControlType::Label), "Version:", 240, 1980, 1440, 300);
    lblVersion =
        Place(label("lblVersion", ControlType::SkinLabel), "Version", 1740, 1980, 4320, 300);
    Label3 = Place(label("Label3", ControlType::Label), "Owned By:", 240, 2340, 1440, 300);
    lblCompany =
        Place(label("lblCompany", ControlType::SkinLabel), "Version", 1740, 2340, 4320, 300);
    Label4 = Place(label("Label4", ControlType::Label), "Website:", 240, 2700, 1440, 300);
    lblWebsite =
        Place(label("lblWebsite", ControlType::SkinLabel), "Version", 1740, 2700, 4320, 300);
    Label5 = Place(label("Label5", ControlType::Label),
                   "This software and its artwork are the property of their maker. "
                   "All rights reserved.",
                   240, 3060, 5820, 420);
    Label5->setWordWrap(true);
    SkinLabel1 = AddControl(new QLabel(ClientArea()), "SkinLabel1", ControlType::SkinLabel, 0);
    Place(SkinLabel1, "Windowed Label", 0, 0, 1215, 255);
    SkinLabel1->hide();
    // No button closes it: Escape does, besides the window's close box.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void frmAbout::Form_Load() {
    KeepTranslated(this, [this] {
        setWindowTitle(CappedText(
            tr("About %1").arg(QString::fromStdString(Branding().ProgramName)), kTitleChars));
    });
    // Read afresh from the build's version information, as the branding values may lag.
    const VersionInfo& info = CurrentVersionInfo();
    SetPlainText(*Label1, QString::fromStdString(info.productName));
    SetPlainText(*lblCompany, QString::fromStdString(info.companyName));
    SetPlainText(*lblVersion, QString::fromStdString(VersionLabel(info)));
    SetPlainText(*lblWebsite, QString::fromStdString(info.comments));
    ApplyStoredLanguage(*this);
    if (Branding().SkinEnabled) {
        CopyLabelsToSkinLabels();
        SkinForm(*this);
    }
}

void frmAbout::CopyLabelsToSkinLabels() {
    // Plain labels get skinned copies on top of them; the container is not looked at.
    quorvel::CopyLabelsToSkinLabels(*this, SkinLabelScope::AnyContainer);
}

void frmAbout::closeEvent(QCloseEvent* event) {
    // The close box unloads the window; the next request makes a fresh one.
    event->accept();
    Unload();
}

frmAbout* ShowAboutWindow() {
    const bool loaded = Form::FindLoaded(QStringLiteral("frmAbout")) != nullptr;
    auto* about = Form::Load<frmAbout>();
    if (!loaded)
        about->Form_Load();
    about->show();
    about->raise();
    return about;
}

}  // namespace quorvel
