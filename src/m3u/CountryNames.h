#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

// The English name of a country by its ISO 3166 two-letter code, letter case ignored
// ("de" gives "Germany"); "UK", which playlists often write for GB, is known too.
std::optional<std::string_view> CountryName(std::string_view code);

}  // namespace quorvel
