#pragma once

#include <string_view>
#include <vector>

namespace quorvel {

// The file patterns the local-files list offers, in their order, and the same list as one
// text joined by ";": the 33 classic ones first, then every format the recorder writes and
// the common ones of today.
const std::vector<std::string_view>& MediaFilePatterns();
std::string_view MediaFilePatternList();

// Wildcard match of a file name: "*" any run of characters, "?" one character, ASCII
// letters compared without regard to case, as the file dialogs of Windows do.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// True when the file name matches one of the media file patterns.
bool IsMediaFileName(std::string_view name);

}  // namespace quorvel
