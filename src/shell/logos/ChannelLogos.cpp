#include "shell/logos/ChannelLogos.h"

#include "shell/Form1.h"
#include "shell/logos/ListLogos.h"
#include "shell/logos/LogoProvider.h"
#include "shell/player/MediaPlayer.h"
#include "shell/widgets/ListView.h"

namespace quorvel {

ChannelLogos::ChannelLogos(Form1* form, LogoFetcher::Options options)
    : QObject(form), m_form(form), m_provider(new LogoProvider(std::move(options), this)) {
    AttachList(form->ListView1);
    AttachList(form->ListView2);
    // What the search of everything found: catalogue channels beside playlist ones.
    if (auto* found = form->findChild<ListView*>(QStringLiteral("lstEverything")))
        AttachList(found, LogoPlaces::EveryRow);
    connect(form, &Form1::PlayerUrlSet, this, &ChannelLogos::PlayerUrlSet);
    connect(m_provider, &LogoProvider::LogosChanged, this, &ChannelLogos::ShowPlayingLogo);
}

void ChannelLogos::AttachList(ListView* view, LogoPlaces places) {
    new ListLogos(view, m_provider, places);
    m_lists.emplace_back(view);
}

std::string ChannelLogos::LogoOf(const std::string& url) const {
    for (const QPointer<ListView>& view : m_lists) {
        if (!view)
            continue;
        const ListRows& rows = view->Rows();
        if (const auto selected = rows.SelectedPosition()) {
            const ListRow& row = rows.At(*selected);
            if (row.tag == url)
                return row.logo;
        }
    }
    // Played without a click (the first channel of a playlist opened).
    const ListRows& rows = m_form->ListView1->Rows();
    for (int position = 1; position <= rows.Count(); ++position) {
        const ListRow& row = rows.At(position);
        if (row.tag == url)
            return row.logo;
    }
    return {};
}

void ChannelLogos::PlayerUrlSet(const QString& url) {
    m_playingLogo = LogoOf(url.toStdString());
    m_provider->Keep(m_playingLogo);
    // Setting the address took the last logo away.
    const bool hadOne = !m_playingImage.isNull();
    m_playingImage = QImage();
    if (hadOne)
        Q_EMIT PlayingLogoChanged();
    ShowPlayingLogo();
}

void ChannelLogos::ShowPlayingLogo() {
    if (m_playingLogo.empty() || !m_playingImage.isNull())
        return;
    const QImage logo = m_provider->Logo(m_playingLogo, QSize(kPlayingLogoSide, kPlayingLogoSide));
    if (logo.isNull())
        return;
    m_playingImage = logo;
    if (m_form->WindowsMediaPlayer1)
        m_form->WindowsMediaPlayer1->setLogo(logo);
    Q_EMIT PlayingLogoChanged();
}

}  // namespace quorvel
