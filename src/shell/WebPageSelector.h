#pragma once

#include <string>

namespace quorvel {

// The page the web page window opens when it loads ("Website", "Sports", "Extras"); set by
// the main window's web buttons, cleared by the web page window once it has opened it.
std::string& WebPageSelector();

}  // namespace quorvel
