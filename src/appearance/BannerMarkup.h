#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// The most bytes of markup the banner shows, and how deep its elements nest.
inline constexpr std::size_t kBannerMarkupBytes = 16 * 1024;
inline constexpr int kBannerNesting = 8;

// What the banner shows of a fetched page (UTF-8 HTML), as markup of our own making: the
// page's text, links to http and https addresses, emphasis (b, strong, i, em, u) and line
// breaks. Any other element gives way to its text, or to a line break where it starts or ends
// a block (paragraphs, headings, list items, table rows); scripts, style sheets, titles and
// templates go with their contents. At most kBannerNesting elements deep and
// kBannerMarkupBytes long, whatever the page: a rich-text view lays that out at once, where a
// page of nested tables or huge pictures takes it minutes. One pass over the page.
//
// The markup it makes is its own fixed point: given its own output, it returns it unchanged.
std::string BannerMarkup(std::string_view page);

}  // namespace quorvel
