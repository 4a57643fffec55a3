#pragma once

#include <string>
#include <vector>

namespace quorvel {

// What the main window is browsing: the category and language the channel list shows.
struct BrowsingState {
    std::string CurrentCategory;  // "" means "TV"
    std::string CurrentLanguage;  // "" means "All"
    bool RefreshLanguageList = false;
};

// The language box Combo1 as the core sees it.
struct ComboBoxState {
    std::vector<std::string> items;
    std::string text;
};

}  // namespace quorvel
