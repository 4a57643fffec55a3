// The favorites list of the main window and its file.
#include "shell/Form1.h"

#include "catalogue/Favorites.h"
#include "shell/widgets/ListView.h"

namespace quorvel {

void Form1::LoadFavorites() {
    std::string error;
    if (!m_favorites.Load(ListView2->Rows(), error)) {
        Message(tr("The favorites could not be read: %1").arg(QString::fromStdString(error)));
    }
}

bool Form1::FavoritesMayChange() {
    std::string error;
    if (m_favorites.ReadyToChange(ListView2->Rows(), error))
        return true;
    Message(tr("The favorites were not changed: %1").arg(QString::fromStdString(error)) +
            QStringLiteral("\n\n") +
            tr("The file is left as it is until it can be read, so that none of its favorites is "
               "lost."));
    return false;
}

void Form1::SaveFavorites() {
    std::string error;
    if (m_favorites.Save(ListView2->Rows(), error)) {
        m_favoritesWriteReported = false;
        return;
    }
    // The old file stays whole and the list keeps the change; said once, not on every
    // click while the folder stays unwritable.
    if (!m_favoritesWriteReported) {
        m_favoritesWriteReported = true;
        Message(tr("The favorites could not be saved: %1").arg(QString::fromStdString(error)));
    }
}

void Form1::cmdFav_Click() {
    // While the search of everything lists its results over the channel list, a result
    // chosen there is the channel meant.
    const ListView* list = ListView1;
    if (auto* found = findChild<ListView*>(QStringLiteral("lstEverything"));
        found && found->isVisible())
        list = found;
    const ListRows& channels = list->Rows();
    const std::optional<int> selected = channels.SelectedPosition();
    if (!selected || !FavoritesMayChange())
        return;
    const ListRow& channel = channels.At(*selected);
    // The whole row at once, so that a sorted list places it by every column it has.
    ListRow favorite;
    favorite.text = channel.text;
    favorite.tag = channel.tag;
    favorite.subItems = {channel.SubItem(1), channel.SubItem(2)};
    ListView2->Rows().Add(std::move(favorite));
    SaveFavorites();
}

void Form1::Command1_Click() {
    if (!FavoritesMayChange())
        return;
    ListRows& favorites = ListView2->Rows();
    if (const std::optional<int> selected = favorites.SelectedPosition())
        favorites.RemoveAt(*selected);
    SaveFavorites();
}

}  // namespace quorvel
