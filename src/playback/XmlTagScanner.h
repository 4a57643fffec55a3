#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// One start (or empty-element) tag with its attributes, values entity-decoded.
struct XmlTag {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string>> attributes;

    // Value of the attribute, name compared without regard to letter case.
    std::optional<std::string> Attribute(std::string_view attributeName) const;
};

// Replaces the five named XML entities and numeric character references; anything else
// that starts with "&" stays as written (playlists in the wild leave "&" unescaped).
std::string DecodeXmlEntities(std::string_view text);

// Calls fn for each start tag in order. Tolerant, as playlist files are hand-written:
// comments, end tags, declarations and text are skipped; unquoted values are accepted.
void ForEachXmlTag(std::string_view bytes, const std::function<void(const XmlTag&)>& fn);

}  // namespace quorvel
