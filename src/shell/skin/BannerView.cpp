#include "shell/skin/BannerView.h"

#include "appearance/BannerMarkup.h"
#include "appearance/ProductInfo.h"
#include "net/FetchUrlText.h"
#include "shell/forms/Form.h"
#include "threads/ThreadEdge.h"

#include <QDesktopServices>
#include <QFrame>
#include <QTextDocument>
#include <QUrl>

namespace quorvel {

QPointer<QWidget> gBannerBox;

namespace {

// A banner is a strip of rich text; anything larger is not one.
constexpr std::uint64_t kMaxBannerBytes = 512 * 1024;
constexpr long kBannerConnectTimeoutSeconds = 10;
constexpr long kBannerStallTimeoutSeconds = 15;
constexpr long kBannerDeadlineMs = 60 * 1000;
constexpr int kPixelScaleMode = 3;

// The page comes from a server we do not control: what it names (pictures, style sheets,
// local files, other hosts) is never loaded. The document itself, not only the view, must
// refuse: it would read local files on its own when the view gives nothing.
class RefusingDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

}  // namespace

BannerView::BannerView(QWidget* parent) : QTextBrowser(parent) {
    setDocument(new RefusingDocument(this));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
            QDesktopServices::openUrl(url);
    });
}

BannerView::~BannerView() {
    Stop();
}

void BannerView::Navigate(const QString& url) {
    Stop();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_fetch = std::thread([this, url = url.toStdString(), cancel = m_cancel] {
        HttpRequest request = TextDownload(url);
        request.connectTimeoutMs = kBannerConnectTimeoutSeconds * 1000;
        request.stallTimeoutSeconds = kBannerStallTimeoutSeconds;
        request.maxBytes = kMaxBannerBytes;
        request.cancel = cancel.get();
        request.deadlineMs = kBannerDeadlineMs;
        const auto post = [this](std::string text, bool ok, std::string tooSlow) {
            QMetaObject::invokeMethod(
                this,
                [this, text = std::move(text), ok, tooSlow = std::move(tooSlow)] {
                    Arrived(text, ok, tooSlow);
                },
                Qt::QueuedConnection);
        };
        RunAtThreadEdge(
            [&] {
                FetchedText fetched = FetchUrlText(request);
                if (!fetched.cancelled)
                    post(std::move(fetched.text), fetched.Ok(),
                         fetched.tooSlow ? fetched.error : std::string());
            },
            [&](const std::string&) { post(std::string(), false, std::string()); });
    });
}

void BannerView::Arrived(const std::string& text, bool ok, const std::string& tooSlow) {
    if (m_fetch.joinable())
        m_fetch.join();
    if (ok) {
        // Only the small subset the page is boiled down to: a page of nested tables or huge
        // pictures would hold the window for minutes.
        const std::string markup = BannerMarkup(text);
        setHtml(QString::fromUtf8(markup.data(), static_cast<qsizetype>(markup.size())));
    } else if (!tooSlow.empty()) {
        setPlainText(QString::fromStdString(tooSlow));
    }
    Q_EMIT NavigateComplete(ok);
}

void BannerView::Stop() {
    if (m_cancel)
        m_cancel->store(true);
    if (m_fetch.joinable())
        m_fetch.join();
}

void ShowBanner(Form& window) {
    const FormControl* bannerControl = window.Control(QStringLiteral("wbBanner"));
    QWidget* banner = bannerControl ? bannerControl->Widget() : nullptr;
    if (!banner)
        return;
    auto* box = window.AddControl(new QFrame(banner->parentWidget()), QStringLiteral("picBox"),
                                  ControlType::PictureBox);
    gBannerBox = box;
    const FormControl& boxControl = window.Controls().back();

    if (window.property("ScaleMode").toInt() == kPixelScaleMode) {
        constexpr int margin = 20;
        box->setGeometry(banner->x(), banner->y(), banner->width() - margin, banner->height());
        box->setFrameShape(QFrame::NoFrame);
        banner->setParent(box);
        banner->move(0, 0);
    } else {
        constexpr int margin = 280;
        const int width = bannerControl->Width();
        const int height = bannerControl->Height();
        boxControl.Move(bannerControl->Left(), bannerControl->Top(), width - margin, height);
        box->setFrameShape(QFrame::NoFrame);
        banner->setParent(box);
        SetTwipsGeometry(banner, 0, 0, width, height);
    }
    box->show();
    box->update();
    banner->show();
    if (const FormControl* picture = window.Control(QStringLiteral("wbPicture")))
        picture->SetVisible(false);
    if (auto* view = qobject_cast<BannerView*>(banner))
        view->Navigate(QString::fromStdString(Branding().BannerUrl));
}

}  // namespace quorvel
