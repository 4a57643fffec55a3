#include "../Form1Fixture.h"
#include "LocalHttpServer.h"
#include "shell/skin/BannerView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QToolButton>
#include <QUrl>

#include <optional>

namespace quorvel {
namespace {

using test::Form1Fixture;
using test::LocalHttpServer;

constexpr int kWait = 20000;  // a failure guard only

class BannerOn : public ::testing::Test {
protected:
    std::unique_ptr<Form1> LoadMainWindow(const std::string& bannerUrl) {
        m_switches.emplace(BrandingSwitches{false, true, bannerUrl, "light"});
        LoadProductInfo();
        auto form = fixture.MakeForm();
        EXPECT_TRUE(form->Form_Load());
        return form;
    }
    void TearDown() override {
        m_switches.reset();
        LoadProductInfo();
    }
    static BannerView* View(Form1& form) { return qobject_cast<BannerView*>(form.wbBanner); }

    // The window still answers the user: another category lists its channels.
    static void ExpectUsable(Form1& form) {
        form.cmdRadio->click();
        EXPECT_EQ(form.State.CurrentCategory, "Radio");
        EXPECT_EQ(test::Names(form.ListView1->Rows()), std::vector<std::string>{"Jazz FM"});
    }

    Form1Fixture fixture;
    LocalHttpServer server;

private:
    std::optional<ScopedBrandingSwitches> m_switches;
};

TEST_F(BannerOn, FrameIs280TwipsNarrowerAndShowsThePageWithoutFetchingWhatItNames) {
    fixture.WriteAppFile("pic.png", "not really a picture");
    const std::string localPicture =
        QUrl::fromLocalFile(QString::fromStdString((fixture.App() / "pic.png").string()))
            .toString()
            .toStdString();
    server.Serve("/banner.htm",
                 "<html><head><link rel=stylesheet href=\"/style.css\"></head><body>"
                 "<p>Hello from the banner</p><table><tr><td>cell</td></tr></table>"
                 "<img src=\"/ad.png\">"
                 "<img src=\"" +
                     localPicture +
                     "\"><script>document.write('x')</script>"
                     "</body></html>",
                 "text/html");
    auto form = LoadMainWindow(server.Url("/banner.htm"));
    const FormControl* box = form->Control("picBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->TypeName(), ControlType::PictureBox);
    EXPECT_EQ(gBannerBox.data(), box->Widget());
    const FormControl& banner = *form->Control("wbBanner");
    EXPECT_EQ(box->Width(), banner.Width() - 280);
    EXPECT_EQ(box->Height(), banner.Height());
    EXPECT_EQ(form->wbBanner->parentWidget(), box->Widget());
    EXPECT_EQ(form->wbBanner->pos(), QPoint(0, 0));
    EXPECT_FALSE(form->wbBanner->isHidden());
    // Moved down by the banner's height.
    EXPECT_EQ(form->Control("Frame1")->Top(), 1020 + banner.Height());

    QSignalSpy done(View(*form), &BannerView::NavigateComplete);
    ASSERT_TRUE(done.wait(kWait));
    EXPECT_TRUE(done.at(0).at(0).toBool());
    const QString shown = form->wbBanner->toPlainText();
    EXPECT_TRUE(shown.contains("Hello from the banner")) << shown.toStdString();
    // Only the page's text shows: no table is laid out.
    EXPECT_TRUE(shown.contains("cell"));
    EXPECT_TRUE(form->wbBanner->document()->rootFrame()->childFrames().isEmpty());
    EXPECT_EQ(server.RequestCount("/banner.htm"), 1);
    EXPECT_EQ(server.RequestCount(), 1);  // neither the style sheet nor the picture
    EXPECT_FALSE(
        form->wbBanner->document()
            ->resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(localPicture)))
            .isValid());
}

TEST_F(BannerOn, PixelScaleModeLeavesTwentyPixels) {
    Form form(QStringLiteral("frmPixels"));
    form.setProperty("ScaleMode", 3);
    auto* banner =
        form.AddControl(new BannerView(form.ClientArea()), "wbBanner", ControlType::WebBrowser);
    banner->setGeometry(4, 68, 489, 63);
    auto* picture =
        form.AddControl(new QLabel(form.ClientArea()), "wbPicture", ControlType::PictureBox);
    ShowBanner(form);
    ASSERT_NE(form.Control("picBox"), nullptr);
    EXPECT_EQ(form.Control("picBox")->Widget()->geometry(), QRect(4, 68, 469, 63));
    EXPECT_EQ(banner->size(), QSize(489, 63));
    EXPECT_TRUE(picture->isHidden());
}

TEST_F(BannerOn, StalledOrFailingPageLeavesTheWindowUsable) {
    fixture.WriteAppFile("Data.txt", test::EncodedLines({"BBC One|http://a/1|TV|English",
                                                         "Jazz FM|http://a/2|Radio|English"}));
    server.Stall("/stalled.htm");
    server.ServeStatus("/broken.htm", 500, "<p>Server error</p>");
    {
        auto form = LoadMainWindow(server.Url("/stalled.htm"));
        EXPECT_TRUE(View(*form)->Loading());
        ExpectUsable(*form);
        // Closing while the page hangs cancels its fetch.
    }
    auto form = LoadMainWindow(server.Url("/broken.htm"));
    QSignalSpy done(View(*form), &BannerView::NavigateComplete);
    ASSERT_TRUE(done.wait(kWait));
    EXPECT_FALSE(done.at(0).at(0).toBool());
    EXPECT_TRUE(form->wbBanner->toPlainText().isEmpty());
    ExpectUsable(*form);
}

}  // namespace
}  // namespace quorvel
