#include "catalogue/ChannelList.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "catalogue/CatalogueRecords.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/FoldedText.h"
#include "catalogue/LanguageCollector.h"
#include "catalogue/LineCodec.h"
#include "catalogue/ListedChannels.h"
#include "catalogue/SortValues.h"
#include "files/Windows1252.h"

namespace quorvel {
namespace {

constexpr std::string_view kDefaultCategory = "TV";
constexpr std::string_view kAllLanguages = "All";

// UI text as the catalogue's bytes, or nothing when the code page cannot hold it (then no
// field of the file can equal or contain it).
std::optional<std::string> ToCatalogueBytes(const std::string& utf8) {
    std::string bytes = Utf8ToWindows1252(utf8);
    if (Windows1252ToUtf8(bytes) != utf8)
        return std::nullopt;
    return bytes;
}

ListRow MakeRow(const RecordFields& fields, std::string categoryUtf8) {
    ListRow row;
    row.text = Windows1252ToUtf8(fields.Name());
    row.tag = Windows1252ToUtf8(fields.Url());
    row.subItems.reserve(2);
    row.subItems.push_back(std::move(categoryUtf8));
    row.subItems.push_back(Windows1252ToUtf8(fields.Type()));
    return row;
}

void RebuildCombo(const LanguageCollector& languages, BrowsingState& state, ComboBoxState& combo) {
    std::vector<std::string> names = languages.Names();
    // UTF-8 bytes order as the characters' code points do.
    for (auto& name : names)
        name = Windows1252ToUtf8(name);
    SortValues(names);
    combo.items.clear();
    combo.items.reserve(names.size() + 1);
    combo.items.emplace_back(kAllLanguages);
    for (auto& name : names)
        combo.items.push_back(std::move(name));
    combo.text.clear();
    state.RefreshLanguageList = false;
    const auto language = ToCatalogueBytes(state.CurrentLanguage);
    if (language && languages.ContainsEntry(*language))
        combo.text = state.CurrentLanguage;
}

}  // namespace

ChannelFilter::ChannelFilter(const BrowsingState& state)
    : m_category(ToCatalogueBytes(state.CurrentCategory.empty() ? std::string(kDefaultCategory)
                                                                : state.CurrentCategory)),
      m_allLanguages(state.CurrentLanguage.empty() || state.CurrentLanguage == kAllLanguages) {
    if (!m_allLanguages) {
        m_language = ToCatalogueBytes(state.CurrentLanguage);
        if (m_language)
            m_language = FoldText1252(*m_language);
    }
}

bool ChannelFilter::HasLanguage(std::string_view encodedType) {
    if (!m_language)
        return false;
    m_type.assign(encodedType);
    DecodeLineInPlace(m_type);
    FoldText1252(m_type, m_foldedType);
    return m_foldedType.find(*m_language) != std::string::npos;
}

bool LoadChannelList(const std::filesystem::path& catalogueFile, BrowsingState& state,
                     ListRows& rows, ComboBoxState& combo, const MessageSink& showMessage) {
    if (state.CurrentCategory.empty())
        state.CurrentCategory = kDefaultCategory;
    if (state.CurrentLanguage.empty())
        state.CurrentLanguage = kAllLanguages;
    rows.Clear();

    const bool refresh = state.RefreshLanguageList;
    LanguageCollector languages;
    std::vector<ListRow> listed;
    const bool completed = ForEachListedChannel(
        catalogueFile, state, refresh ? &languages : nullptr, [&](const RecordFields& fields) {
            listed.push_back(MakeRow(fields, state.CurrentCategory));
        });

    // One insertion for the whole list; the rows before a failure stay listed.
    rows.AddRows(std::move(listed));
    if (!completed) {
        showMessage(std::string(kCatalogueMissingMessage));
        return false;
    }
    if (refresh)
        RebuildCombo(languages, state, combo);
    return true;
}

namespace {

std::string DescribeIncompleteLines(const std::vector<std::size_t>& lines, std::size_t total) {
    std::string list;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            list += (i + 1 == lines.size() && total == lines.size()) ? " and " : ", ";
        list += std::to_string(lines[i]);
    }
    if (total > lines.size())
        list += " and " + std::to_string(total - lines.size()) + " more";
    if (total == 1) {
        return "Line " + list +
               " of the channel file lacks the category or type field. The channel was loaded "
               "with the missing fields left empty.";
    }
    return "Lines " + list +
           " of the channel file lack the category or type field. Those channels were loaded "
           "with the missing fields left empty.";
}

}  // namespace

int LoadFullCatalogue(const std::filesystem::path& catalogueFile, ListRows& rows,
                      const MessageSink& showMessage) {
    constexpr std::size_t kLinesNamed = 10;
    std::vector<std::size_t> incomplete;
    std::size_t incompleteCount = 0;
    std::vector<ListRow> loaded;
    const auto read = ForEachDecodedRecord(
        catalogueFile, [&](std::size_t lineNumber, const RecordFields& fields) {
            if (fields.count < 4) {
                if (incomplete.size() < kLinesNamed)
                    incomplete.push_back(lineNumber);
                ++incompleteCount;
            }
            ListRow row;
            row.text = Windows1252ToUtf8(fields.Name());
            row.tag = Windows1252ToUtf8(fields.Url());
            row.subItems.reserve(3);
            row.subItems.push_back(Windows1252ToUtf8(fields.Category()));
            row.subItems.push_back(Windows1252ToUtf8(fields.Type()));
            row.subItems.push_back(row.tag);
            loaded.push_back(std::move(row));
            return true;
        });
    if (read.status != CatalogueReadStatus::Completed) {
        // Nothing is listed from a file that could not be read to its end.
        showMessage("The channel file could not be loaded (" + read.error + ").");
        return -1;
    }
    const int count = static_cast<int>(loaded.size());
    rows.AddRows(std::move(loaded));
    if (incompleteCount > 0)
        showMessage(DescribeIncompleteLines(incomplete, incompleteCount));
    return count;
}

}  // namespace quorvel
