#include "shell/frmWebsite.h"

#include "appearance/ProductInfo.h"
#include "shell/WebPageSelector.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

namespace quorvel {

frmWebsite::frmWebsite(QWidget* parent) : Form(QStringLiteral("frmWebsite"), parent) {
    Timer1 = AddControl(new QTimer(this), "Timer1", ControlType::Timer);
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmWebsite::Timer1_Timer);
}

frmWebsite* frmWebsite::Open() {
    if (Form* loaded = FindLoaded(QStringLiteral("frmWebsite")))
        return static_cast<frmWebsite*>(loaded);
    auto* window = new frmWebsite;
    window->Form_Load();
    return window;
}

void frmWebsite::Form_Load() {
    Timer1->start();
    LoadProductInfo();
    if (WebPageSelector() != "Website")
        return;  // the other pages have no address in this edition; the selector stays
    const std::string address = WebsiteAddress(Branding().Website);
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    WebPageSelector().clear();
}

void frmWebsite::Timer1_Timer() {
    Unload();
}

}  // namespace quorvel
