#include "catalogue/ListCleanup.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "catalogue/CatalogueRows.h"
#include "catalogue/FoldedText.h"

namespace quorvel {

namespace {

// Whether folding would change the text; most addresses are already in small letters.
bool NeedsFolding(const std::string& text) {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || b == 0xC3 || b == 0xC5)
            return true;
    }
    return false;
}

}  // namespace

int RemoveDuplicateChannels(ListRows& rows) {
    // One pass with a hash table of the keys seen: the same survivors as comparing every
    // row with every later one, without the quadratic walk. Keys point into the rows (or
    // into a folded copy), and the table holds row numbers, so the pass allocates little.
    const std::size_t count = static_cast<std::size_t>(rows.Count());
    std::vector<std::string_view> keys(count);
    std::vector<std::string> folded;
    folded.reserve(count);
    std::size_t capacity = 16;
    while (capacity < 2 * count)
        capacity *= 2;
    std::vector<std::uint32_t> table(capacity, 0);  // row index + 1; 0 is free
    const std::hash<std::string_view> hash;
    std::vector<bool> marked(count, false);
    int removed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& url = RowField(rows.At(static_cast<int>(i) + 1), ChannelField::Url);
        if (NeedsFolding(url)) {
            folded.push_back(FoldTextUtf8(url));
            keys[i] = folded.back();
        } else {
            keys[i] = url;
        }
        std::size_t slot = hash(keys[i]) & (capacity - 1);
        for (;;) {
            const std::uint32_t entry = table[slot];
            if (entry == 0) {
                table[slot] = static_cast<std::uint32_t>(i + 1);
                break;
            }
            if (keys[entry - 1] == keys[i]) {
                marked[i] = true;
                ++removed;
                break;
            }
            slot = (slot + 1) & (capacity - 1);
        }
    }
    rows.RemoveMarked(marked);
    return removed;
}

namespace {

// `text` with every case-folded match of `foldedSearch` replaced; nothing when none.
bool ReplaceFolded(const std::string& text, std::string_view foldedSearch,
                   std::string_view replacement, std::string& out) {
    const std::string folded = FoldTextUtf8(text);
    std::size_t match = folded.find(foldedSearch);
    if (match == std::string::npos)
        return false;
    out.clear();
    std::size_t from = 0;
    while (match != std::string::npos) {
        out.append(text, from, match - from).append(replacement);
        from = match + foldedSearch.size();
        match = folded.find(foldedSearch, from);
    }
    out.append(text, from, std::string::npos);
    return true;
}

}  // namespace

int ReplaceInChannels(ListRows& rows, std::string_view search, std::string_view replacement,
                      std::string_view column) {
    if (search.empty())
        return 0;
    // Rows keep their positions during the walk; a sorted list re-sorts once at its end.
    const ListRows::DeferredPlacement placement(rows);
    int changed = 0;
    if (column == kReplaceChannel) {
        const std::string foldedSearch = FoldTextUtf8(search);
        std::string replaced;
        for (int position = 1; position <= rows.Count(); ++position) {
            if (ReplaceFolded(rows.At(position).text, foldedSearch, replacement, replaced)) {
                rows.SetText(position, replaced);
                ++changed;
            }
        }
    } else if (column == kReplaceLanguage) {
        for (int position = 1; position <= rows.Count(); ++position) {
            if (RowField(rows.At(position), ChannelField::Type) == search) {
                SetRowField(rows, position, ChannelField::Type, std::string(replacement));
                ++changed;
            }
        }
    }
    return changed;
}

}  // namespace quorvel
