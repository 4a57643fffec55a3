#include "shell/frmSplash.h"

#include "appearance/ProductInfo.h"
#include "settings/SettingsStore.h"
#include "shell/localization/frmLanguage.h"
#include "shell/skin/SkinControl.h"
#include "shell/skin/SkinManager.h"
#include "shell/skin/modSkin.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

namespace quorvel {
namespace {

// The design interval is 2 ms, which the original platform rounds up to its timer step of
// about 15 ms, so 75 ticks last roughly a second; here the step is asked for directly.
constexpr int kTimer2IntervalMs = 15;
constexpr std::int16_t kHandOverCount = 150;

}  // namespace

frmSplash::frmSplash(MainWindowLoader loadMainWindow, QWidget* parent)
    : Form(QStringLiteral("frmSplash"), parent), m_loadMainWindow(std::move(loadMainWindow)) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    ResizeClient(7200, 4500);

    Image1 = AddControl(new QLabel(ClientArea()), "Image1", ControlType::Image);
    Image1->setPixmap(QPixmap(QStringLiteral(":/splash/splash.png")));
    Image1->setScaledContents(true);
    SetTwipsGeometry(Image1, 0, 0, 7200, 4500);

    Label3 = AddControl(new QLabel(ClientArea()), "Label3", ControlType::Label);
    // Each edition names its own site.
    Label3->setText(QStringLiteral("Live TV and radio from around the world - new channels at %1")
                        .arg(QString::fromStdString(CurrentVersionInfo().comments)));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setWordWrap(true);
    Label3->setStyleSheet(QStringLiteral("color: white;"));
    SetTwipsGeometry(Label3, 240, 3720, 6720, 600);

    skn = AddControl(
        new SkinControl(QString::fromStdString(CurrentBrandingSwitches().skinFile), ClientArea()),
        "skn", ControlType::Skin);

    Timer2 = AddControl(new QTimer(this), "Timer2", ControlType::Timer);
    Timer2->setInterval(kTimer2IntervalMs);
    connect(Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
}

void frmSplash::Form_Load() {
    const bool hidden = GetMachineSettingOrDefault(CurrentVersionInfo().productName, "Settings",
                                                   "chkSplash", "0") == "1";
    LoadProductInfo();
    ApplyStoredLanguage(*this);
    if (Branding().SkinEnabled) {
        gSkin = qobject_cast<SkinControl*>(skn);
        SkinForm(*this);
        SkinManager& manager = SkinManagerInstance();
        manager.AttachSkin(skn);
        manager.Activate();
    }
    Timer2->start();
    if (!hidden)
        show();
}

void frmSplash::Timer2_Timer() {
    intTemp = static_cast<std::int16_t>(intTemp + 2);
    if (intTemp != kHandOverCount)
        return;
    Timer2->stop();
    QWidget* mainWindow = m_loadMainWindow ? m_loadMainWindow() : nullptr;
    if (mainWindow)
        mainWindow->show();
    hide();
    Q_EMIT HandedOver(mainWindow);
    if (!mainWindow) {
        QCoreApplication::quit();
        return;
    }
    // Told over the running main window: the program starts with defaults either way.
    QStringList problems;
    for (const std::string& problem : TakeSettingsProblems())
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty())
        m_presenter(mainWindow, problems.join(QStringLiteral("\n\n")));
}

}  // namespace quorvel
