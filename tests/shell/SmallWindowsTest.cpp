#include "Form1Fixture.h"
#include "shell/Form8.h"
#include "shell/WebPageSelector.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "shell/frmWebsite.h"
#include "shell/help/GuideBrowser.h"
#include "shell/help/HelpWindow.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

namespace quorvel {
namespace {

using test::Form1Fixture;

// Catches what would go to the desktop's browser or file handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QStringList opened;

public Q_SLOTS:
    void Open(const QUrl& url) { opened << url.toString(); }
};

VersionInfo Edition(std::string website) {
    VersionInfo info = CurrentVersionInfo();
    info.comments = std::move(website);
    return info;
}

std::string MachineSetting(const char* key) {
    return GetMachineSetting(CurrentVersionInfo().productName, "Settings", key, "<absent>");
}

TEST(SmallWindows, SplashHandsOverAtThe75thTickEvenWhenHidden) {
    Form1Fixture fixture;
    SaveMachineSetting(CurrentVersionInfo().productName, "Settings", "chkSplash", "1");
    QWidget main;
    int loads = 0;
    auto* splash = new frmSplash([&]() -> QWidget* {
        ++loads;
        return &main;
    });
    QSignalSpy handedOver(splash, &frmSplash::HandedOver);
    splash->Form_Load();
    EXPECT_FALSE(splash->isVisible());
    EXPECT_TRUE(splash->Timer2->isActive());
    // The real timer runs it; the wait is only a guard against a hang.
    ASSERT_TRUE(handedOver.wait(20000));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(splash->intTemp, 150);
    EXPECT_FALSE(splash->Timer2->isActive());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(splash->isVisible());
    // It stays loaded, hidden, until the main window unloads it.
    EXPECT_EQ(Form::FindLoaded("frmSplash"), splash);
    Form::UnloadByName("frmSplash");
}

TEST(SmallWindows, SplashShowsByDefaultAndCountsTicksOfTwo) {
    Form1Fixture fixture;
    QWidget main;
    bool giveWindow = true;
    auto* splash = new frmSplash([&]() -> QWidget* { return giveWindow ? &main : nullptr; });
    QSignalSpy handedOver(splash, &frmSplash::HandedOver);
    splash->Form_Load();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(Branding().ProgramName, CurrentVersionInfo().productName);
    // Ticks by hand from here; the real timer may have ticked already on a busy machine.
    splash->Timer2->stop();
    ASSERT_LT(splash->intTemp, 148);
    while (splash->intTemp < 148)
        splash->Timer2_Timer();
    EXPECT_EQ(splash->intTemp, 148);
    EXPECT_EQ(handedOver.count(), 0);
    EXPECT_TRUE(splash->isVisible());
    splash->Timer2_Timer();
    ASSERT_EQ(handedOver.count(), 1);
    EXPECT_EQ(handedOver.at(0).at(0).value<QWidget*>(), &main);
    EXPECT_FALSE(splash->isVisible());
    splash->Unload();

    // A main window that ends the application at its start-up (another instance runs).
    giveWindow = false;
    main.hide();
    auto* second = new frmSplash([&]() -> QWidget* { return nullptr; });
    QSignalSpy none(second, &frmSplash::HandedOver);
    second->Form_Load();
    second->Timer2->stop();
    for (int i = 0; i < 75; ++i)
        second->Timer2_Timer();
    ASSERT_EQ(none.count(), 1);
    EXPECT_EQ(none.at(0).at(0).value<QWidget*>(), nullptr);
    EXPECT_FALSE(second->isVisible());
    second->Unload();
}

TEST(SmallWindows, AboutShowsTheBuildsIdentity) {
    Form1Fixture fixture;
    VersionInfo info = CurrentVersionInfo();
    info.productName = "Say \"Hi\" <b>TV</b>";
    info.companyName = "Dravmont Software";
    info.comments = "dravmont.example";
    info.major = 2;
    info.minor = 10;
    const ScopedVersionInfo edition(info);
    LoadProductInfo();
    frmAbout* about = ShowAboutWindow();
    EXPECT_EQ(about->windowTitle(), "About Say \"Hi\" <b>TV</b>");
    EXPECT_EQ(about->Label1->text(), "Say \"Hi\" <b>TV</b>");
    EXPECT_EQ(about->Label1->textFormat(), Qt::PlainText);
    EXPECT_EQ(about->lblVersion->text(), "2.10");
    EXPECT_EQ(about->lblCompany->text(), "Dravmont Software");
    EXPECT_EQ(about->lblWebsite->text(), "dravmont.example");
    EXPECT_EQ(about->Label2->text(), "Version:");
    EXPECT_EQ(about->Label3->text(), "Owned By:");
    EXPECT_EQ(about->Label4->text(), "Website:");
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_FALSE(about->isModal());
    // Only the template element of the skinned labels while the skin is off.
    EXPECT_EQ(about->HighestIndex("SkinLabel1"), 0);
    EXPECT_EQ(about->Control("SkinLabel1", 0)->Caption(), "Windowed Label");
    EXPECT_EQ(about->Control("lblVersion")->TypeName(), ControlType::SkinLabel);
    EXPECT_EQ(about->Control("Label5")->TypeName(), ControlType::Label);

    // A second request shows the same window; Escape (as the close box) unloads it.
    EXPECT_EQ(ShowAboutWindow(), about);
    QPointer<frmAbout> guard(about);
    QApplication::setActiveWindow(about);
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_EQ(Form::FindLoaded("frmAbout"), nullptr);
    QSignalSpy destroyed(about, &QObject::destroyed);
    ASSERT_TRUE(destroyed.wait(10000));
}

TEST(SmallWindows, WebsiteOpensTheSiteOnceAndClosesItselfASecondLater) {
    Form1Fixture fixture;
    UrlCatcher catcher;
    {
        const ScopedVersionInfo edition(Edition("quorvel.example"));
        WebPageSelector() = "Website";
        frmWebsite* window = frmWebsite::Open();
        EXPECT_EQ(catcher.opened, QStringList{"http://quorvel.example"});
        EXPECT_EQ(WebPageSelector(), "");
        EXPECT_FALSE(window->isVisible());
        // A second click while it is loaded opens nothing.
        WebPageSelector() = "Website";
        EXPECT_EQ(frmWebsite::Open(), window);
        EXPECT_EQ(catcher.opened.size(), 1);
        QSignalSpy destroyed(window, &QObject::destroyed);
        ASSERT_TRUE(destroyed.wait(20000));
        EXPECT_EQ(Form::FindLoaded("frmWebsite"), nullptr);
    }
    // An address that holds a scheme anywhere, in any letter case, is opened as it is.
    for (const char* site : {"HTTPS://secure.example", "Http://mixed.example/page"}) {
        const ScopedVersionInfo edition(Edition(site));
        WebPageSelector() = "Website";
        frmWebsite* window = frmWebsite::Open();
        EXPECT_EQ(catcher.opened.last(), QUrl(site).toString());
        window->Timer1_Timer();
    }
    // Other pages have no address: nothing opens and the selector keeps its value.
    const int before = catcher.opened.size();
    WebPageSelector() = "Sports";
    frmWebsite::Open()->Timer1_Timer();
    EXPECT_EQ(catcher.opened.size(), before);
    EXPECT_EQ(WebPageSelector(), "Sports");
    WebPageSelector().clear();
}

TEST(SmallWindows, HelpOpensHelpChmAndNotesItOrFallsBackToTheGuide) {
    Form1Fixture fixture;
    UrlCatcher catcher;
    // No Help.chm: the first start opens nothing and leaves "showHelp" alone.
    fixture.WriteAppFile(
        kUserGuideFileName,
        "<h1>Guide</h1><a href='#keys'>Keys</a> <a href='http://x.example/'>web</a>"
        "<a href='file:///etc/passwd'>file</a>");
    ShowHelpPrompt(HelpRequest::FirstStart);
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_EQ(MachineSetting("showHelp"), "<absent>");
    // "View Help" shows the guide in the program's own window, which needs no browser; only
    // web addresses go to the desktop.
    ShowHelpPrompt(HelpRequest::ViewHelp);
    EXPECT_TRUE(catcher.opened.isEmpty());
    QPointer<HelpWindow> help = ShowUserGuide(fixture.App() / kUserGuideFileName);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Browser()->toPlainText().startsWith("Guide\nKeys web"));
    for (const char* link : {"#keys", "file:///etc/passwd", "http://x.example/"})
        Q_EMIT help->Browser()->anchorClicked(QUrl(link));
    EXPECT_EQ(catcher.opened, QStringList{"http://x.example/"});
    EXPECT_EQ(MachineSetting("showHelp"), "<absent>");
    help->close();

    // Help.chm, found whatever its letter case, wins and is noted machine-wide.
    fixture.WriteAppFile("HELP.CHM", "chm");
    ShowHelpPrompt(HelpRequest::FirstStart);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_TRUE(catcher.opened[1].endsWith("/app/HELP.CHM")) << catcher.opened[1].toStdString();
    EXPECT_EQ(MachineSetting("showHelp"), "0");
    EXPECT_EQ(Form::FindLoaded("Form8"), nullptr);
}

TEST(SmallWindows, GuideLoadsOnlyItsOwnPicturesBesideIt) {
    Form1Fixture fixture;
    const std::filesystem::path folder = fixture.App() / "guide";
    std::filesystem::create_directories(folder / "img");
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "img" / "a.png").string())));
    ASSERT_TRUE(picture.save(QString::fromStdString((fixture.App() / "outside.png").string())));
    ASSERT_EQ(::mkfifo((folder / "fifo.png").c_str(), 0600), 0);
    fixture.WriteAppFile("guide/Help.html", "<img src='img/a.png'>");

    GuideBrowser browser;
    QString error;
    ASSERT_TRUE(browser.LoadGuide(folder / "Help.html", error)) << error.toStdString();
    const auto loads = [&](int type, const QString& name) {
        return !browser.loadResource(type, QUrl(name)).isNull();
    };
    EXPECT_TRUE(loads(QTextDocument::ImageResource, "img/a.png"));
    for (const QString& name :
         {QString("../outside.png"), QString("img/../../outside.png"),
          QString::fromStdString((fixture.App() / "outside.png").string()),
          QString::fromStdString("file://" + (fixture.App() / "outside.png").string()),
          QString("http://127.0.0.1:9/a.png"), QString("fifo.png"), QString("/dev/zero")}) {
        EXPECT_FALSE(loads(QTextDocument::ImageResource, name)) << name.toStdString();
    }
    EXPECT_FALSE(loads(QTextDocument::StyleSheetResource, "img/a.png"));
    EXPECT_FALSE(browser.LoadGuide(folder / "fifo.png", error));
}

}  // namespace
}  // namespace quorvel

#include "SmallWindowsTest.moc"
