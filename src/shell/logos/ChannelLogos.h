#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <string>
#include <vector>

#include "logos/LogoFetcher.h"
#include "shell/logos/ListLogos.h"

namespace quorvel {

class Form1;
class ListView;
class LogoProvider;

// Channel logos in the main window: small in the rows of its channel lists, and larger in
// the player's picture area beside what plays (radio has no picture of its own). Nothing
// waits for a logo: the rows and the player go on, and a logo shows when it comes.
class ChannelLogos : public QObject {
    Q_OBJECT
public:
    explicit ChannelLogos(Form1* form, LogoFetcher::Options options = {});

    LogoProvider* Provider() const { return m_provider; }
    // Shows logos in another list of channels too (search results); what plays from it
    // gets its logo.
    void AttachList(ListView* view, LogoPlaces places = LogoPlaces::RowsWithLogo);
    // The logo shown beside what plays now; null while none.
    const QImage& PlayingLogo() const { return m_playingImage; }

    static constexpr int kPlayingLogoSide = 96;

Q_SIGNALS:
    void PlayingLogoChanged();

private:
    void PlayerUrlSet(const QString& url);
    void ShowPlayingLogo();
    // The logo of the row that plays `url`: the selected row of a list first, else the
    // first row of the channel list with that address.
    std::string LogoOf(const std::string& url) const;

    Form1* m_form;
    LogoProvider* m_provider;
    std::vector<QPointer<ListView>> m_lists;
    std::string m_playingLogo;
    QImage m_playingImage;
};

}  // namespace quorvel
