#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Finds the rows of a list whose name holds a typed text, letter case and accents ignored
// (SearchFold). The names are folded once, into one buffer, when the list is loaded; each
// query then scans that buffer, or only the rows the last query kept when the new query
// contains it (typing on), so a keystroke stays cheap on a million rows.
class NameSearch {
public:
    // Folds the names of rows 0 .. count - 1; forgets earlier queries.
    void Load(std::size_t count, const std::function<std::string_view(std::size_t row)>& nameOf);
    void Clear();

    std::size_t Count() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }

    // Ascending row numbers whose folded name contains the folded query; every row for a
    // query that folds to nothing. Valid until the next call.
    const std::vector<int>& Find(std::string_view query);

private:
    struct Step {
        std::string query;  // folded
        std::vector<int> rows;
    };

    std::vector<int> ScanAll(std::string_view folded) const;
    std::vector<int> ScanRows(const std::vector<int>& rows, std::string_view folded) const;

    std::string m_text;                 // folded names, each followed by '\0'
    std::vector<std::size_t> m_starts;  // where each name starts; one more at the end
    std::vector<int> m_all;
    // Queries typed so far, each containing the one before, with their rows.
    std::vector<Step> m_steps;
};

}  // namespace quorvel
