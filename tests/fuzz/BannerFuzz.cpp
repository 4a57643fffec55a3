// The banner's markup from any page: only the kept elements, properly nested and closed, no
// deeper than allowed, within its size, entities and link targets that read back, and its
// own fixed point.
#include "FuzzCheck.h"
#include "appearance/BannerMarkup.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvel;

namespace {

constexpr std::string_view kElements[] = {"a", "b", "strong", "i", "em", "u"};
constexpr std::string_view kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;"};

bool IsElement(std::string_view name) {
    for (std::string_view element : kElements) {
        if (name == element)
            return true;
    }
    return false;
}

bool StartsWithEntity(std::string_view text) {
    for (std::string_view entity : kEntities) {
        if (text.substr(0, entity.size()) == entity)
            return true;
    }
    return false;
}

// A link target as the markup writes it: a web address, quotes and brackets escaped.
bool IsLinkTarget(std::string_view href) {
    if (href.substr(0, 7) != "http://" && href.substr(0, 8) != "https://")
        return false;
    for (std::size_t i = 0; i < href.size(); ++i) {
        const auto c = static_cast<unsigned char>(href[i]);
        if (c <= 0x20 || c == 0x7F || c == '<' || c == '>')
            return false;
        if (c == '&' && !StartsWithEntity(href.substr(i)))
            return false;
    }
    return true;
}

// Checks the markup's shape: kept elements only, closed in order, never too deep.
void CheckWellFormed(std::string_view markup) {
    std::vector<std::string_view> open;
    std::size_t i = 0;
    while (i < markup.size()) {
        const char c = markup[i];
        FUZZ_CHECK(c != '>' && c != '"');
        if (c == '&') {
            FUZZ_CHECK(StartsWithEntity(markup.substr(i)));
            ++i;
            continue;
        }
        if (c != '<') {
            ++i;
            continue;
        }
        const std::size_t end = markup.find('>', i);
        FUZZ_CHECK(end != std::string_view::npos);
        const std::string_view tag = markup.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag == "br")
            continue;
        if (tag.substr(0, 1) == "/") {
            FUZZ_CHECK(!open.empty() && open.back() == tag.substr(1));
            open.pop_back();
            continue;
        }
        std::string_view name = tag;
        if (tag.substr(0, 8) == "a href=\"") {
            FUZZ_CHECK(tag.back() == '"');
            const std::string_view href = tag.substr(8, tag.size() - 9);
            FUZZ_CHECK(href.find('"') == std::string_view::npos && IsLinkTarget(href));
            name = "a";
            for (std::string_view outer : open)
                FUZZ_CHECK(outer != "a");
        }
        FUZZ_CHECK(IsElement(name));
        open.push_back(name);
        FUZZ_CHECK(open.size() <= static_cast<std::size_t>(kBannerNesting));
    }
    FUZZ_CHECK(open.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const std::string markup = BannerMarkup(page);
    FUZZ_CHECK(markup.size() <= kBannerMarkupBytes);
    CheckWellFormed(markup);
    FUZZ_CHECK(BannerMarkup(markup) == markup);
    return 0;
}
