#include "catalogue/ChannelList.h"

namespace quorvel {

bool LoadChannelList(const std::filesystem::path&, BrowsingState&, ListRows& rows, ComboBoxState&,
                     const MessageSink& showMessage) {
    rows.Clear();
    showMessage(std::string(kCatalogueMissingMessage));
    return false;
}

int LoadFullCatalogue(const std::filesystem::path&, ListRows&, const MessageSink&) {
    return -1;
}

}  // namespace quorvel
