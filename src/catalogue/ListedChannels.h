#pragma once

// The walk behind the category list, as a template: the tool's listing and the window's list
// run it over 100,000 lines, so the caller's per-channel work is compiled into the scan loop.

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/BrowsingState.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/LanguageCollector.h"
#include "catalogue/LineCodec.h"
#include "catalogue/RecordWalk.h"

namespace quorvel {

// The category and language filter of a browsing state, applied to records still encoded.
class ChannelFilter {
public:
    explicit ChannelFilter(const BrowsingState& state);

    enum class Verdict {
        Other,   // no record, or one of another category
        Broken,  // a record without category or type: the listing stops there
        Listed,  // of the category, whole
    };

    Verdict Check(const RecordFields& encoded) const {
        if (encoded.count == 0)
            return Verdict::Other;
        if (encoded.count < 3)
            return Verdict::Broken;
        if (!InCategory(encoded.Category()))
            return Verdict::Other;
        return encoded.count < 4 ? Verdict::Broken : Verdict::Listed;
    }

    // Whether the encoded type field passes the language filter.
    bool Shows(std::string_view encodedType) { return m_allLanguages || HasLanguage(encodedType); }

private:
    bool InCategory(std::string_view encoded) const {
        return m_category && encoded.size() == m_category->size() &&
               std::equal(encoded.begin(), encoded.end(), m_category->begin(), [](char e, char t) {
                   return static_cast<char>(DecodeByte(static_cast<unsigned char>(e))) == t;
               });
    }
    bool HasLanguage(std::string_view encodedType);

    std::optional<std::string> m_category;  // none when the code page cannot hold it
    bool m_allLanguages = true;
    std::optional<std::string> m_language;  // folded
    std::string m_type;                     // reused for each type: decoded,
    std::string m_foldedType;               // and folded
};

// Calls fn, in file order, with the fields (the catalogue's bytes, decoded) of each channel
// the list shows for state.CurrentCategory filtered by CurrentLanguage; `languages`, when
// given, collects the types of every channel of the category. Returns false when the file
// cannot be read to its end or holds a record without category or type, having stopped there.
template <class Fn>
bool ForEachListedChannel(const std::filesystem::path& catalogueFile, const BrowsingState& state,
                          LanguageCollector* languages, Fn&& fn) {
    ChannelFilter filter(state);
    bool broken = false;
    // Records are split while still encoded and only those of the category are decoded: most
    // lines of a catalogue belong to another one.
    const auto walk = [&](std::size_t, char* line, std::size_t size, const RecordFields& fields) {
        switch (filter.Check(fields)) {
            case ChannelFilter::Verdict::Other:
                return true;
            case ChannelFilter::Verdict::Broken:
                broken = true;
                return false;
            case ChannelFilter::Verdict::Listed:
                break;
        }
        const bool shown = filter.Shows(fields.Type());
        DecodeBytes(line, line, size);  // the fields view the same bytes, now decoded
        if (shown)
            fn(fields);
        if (languages)
            languages->AddTypeField(fields.Type());
        return true;
    };
    const auto read = detail::WalkRecords(catalogueFile, walk);
    return !broken && read.status == CatalogueReadStatus::Completed;
}

}  // namespace quorvel
