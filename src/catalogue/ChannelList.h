#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/BrowsingState.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/LanguageCollector.h"
#include "rows/ListRows.h"

namespace quorvel {

inline constexpr std::string_view kCatalogueMissingMessage =
    "TV Channel file was not found.  No channels could be loaded.  Please reinstall or repair "
    "this program.";

using MessageSink = std::function<void(const std::string& message)>;

// Refills rows with the channels of state.CurrentCategory filtered by CurrentLanguage; on
// request rebuilds combo. Every failure calls showMessage(kCatalogueMissingMessage) once and
// ends the load (rows listed so far stay; combo untouched; RefreshLanguageList kept).
// Returns true when the load completed.
bool LoadChannelList(const std::filesystem::path& catalogueFile, BrowsingState& state,
                     ListRows& rows, ComboBoxState& combo, const MessageSink& showMessage);

// The full load behind the editing button doLoad: appends every record of every category
// (sub-item 3 = URL) without clearing rows first. A record lacking the category or type is
// loaded with those fields empty and reported once, naming its line. A file that cannot be
// opened or read to its end is reported, appends nothing and gives -1; otherwise the number
// of rows appended.
int LoadFullCatalogue(const std::filesystem::path& catalogueFile, ListRows& rows,
                      const MessageSink& showMessage);

}  // namespace quorvel
