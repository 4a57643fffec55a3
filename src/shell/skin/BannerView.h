#pragma once

#include <QPointer>
#include <QTextBrowser>

#include <atomic>
#include <memory>
#include <thread>

namespace quorvel {

class Form;

// The banner strip: shows a page fetched off the GUI thread as rich text, boiled down to its
// text, links, emphasis and line breaks. It runs no script and fetches nothing the page names
// (pictures, style sheets, frames); a link the user clicks opens in the desktop's browser
// when it is http or https.
class BannerView : public QTextBrowser {
    Q_OBJECT
public:
    explicit BannerView(QWidget* parent = nullptr);
    // Cancels a fetch that still runs and waits for it (about a second at most).
    ~BannerView() override;

    // Starts fetching the page; the one shown before stays until it arrives.
    void Navigate(const QString& url);
    bool Loading() const { return m_fetch.joinable(); }

Q_SIGNALS:
    // The page has arrived and is shown (ok), or the fetch failed and the view is unchanged.
    void NavigateComplete(bool ok);

private:
    // `tooSlow`: why a page that never finished was given up, shown in its place.
    void Arrived(const std::string& text, bool ok, const std::string& tooSlow);
    void Stop();

    std::thread m_fetch;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

// The frame ShowBanner puts around the banner; null until it has run.
extern QPointer<QWidget> gBannerBox;

// Frames the window's banner browser wbBanner in a new picture box picBox that is narrower
// by a margin (20 for a window whose ScaleMode property is 3, pixels; otherwise 280 twips),
// so the strip where a browser shows its scroll bar is cut off; shows it, hides wbPicture
// and navigates to the branding's BannerUrl.
void ShowBanner(Form& window);

}  // namespace quorvel
