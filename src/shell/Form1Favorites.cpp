// The favorites list of the main window and its file.
#include "shell/Form1.h"

#include "shell/widgets/ListView.h"

namespace quorvel {

void Form1::LoadFavorites() {}

void Form1::SaveFavorites() {}

void Form1::cmdFav_Click() {
    const ListRows& channels = ListView1->Rows();
    const std::optional<int> selected = channels.SelectedPosition();
    if (!selected)
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
    ListRows& favorites = ListView2->Rows();
    if (const std::optional<int> selected = favorites.SelectedPosition())
        favorites.RemoveAt(*selected);
    SaveFavorites();
}

bool Form1::AcquireSingleInstance() {
    return true;
}

}  // namespace quorvel
