#include "shell/rows/ListRows.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace quorvel {
namespace {

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

const std::string& ListRow::SubItem(int k) const {
    if (k < 1 || k > static_cast<int>(subItems.size())) return EmptyText();
    return subItems[static_cast<std::size_t>(k - 1)];
}

void ListRow::SetSubItem(int k, std::string value) {
    if (k < 1) throw std::out_of_range("sub-items are numbered from 1");
    if (static_cast<int>(subItems.size()) < k) subItems.resize(static_cast<std::size_t>(k));
    subItems[static_cast<std::size_t>(k - 1)] = std::move(value);
}

const std::string& ListRow::Column(int key) const { return key == 0 ? text : SubItem(key); }

int CompareListText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

const ListRow& ListRows::At(int position) const {
    CheckPosition(position);
    return m_rows[static_cast<std::size_t>(position - 1)];
}

void ListRows::CheckPosition(int position) const {
    if (position < 1 || position > Count()) {
        throw std::out_of_range("no row at position " + std::to_string(position));
    }
}

int ListRows::Add(std::string text) {
    ListRow row;
    row.text = std::move(text);
    return Add(std::move(row));
}

int ListRows::Add(ListRow row) {
    const int index = m_sorted ? InsertPosition(row) : Count();
    if (m_observer) m_observer->RowsAboutToBeInserted(index, index);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (m_selected && *m_selected > index) ++*m_selected;
    if (m_observer) m_observer->RowsInserted();
    return index + 1;
}

void ListRows::AddRows(std::vector<ListRow> rows) {
    if (rows.empty()) return;
    if (m_sorted) {
        // One reset instead of a notification per row.
        if (m_observer) m_observer->AboutToReset();
        m_rows.reserve(m_rows.size() + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
        const auto observer = m_observer;
        m_observer = nullptr;
        Resort();
        m_observer = observer;
        if (m_observer) m_observer->Reset();
        return;
    }
    const int first = Count();
    if (m_observer) m_observer->RowsAboutToBeInserted(first, first + static_cast<int>(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    if (m_observer) m_observer->RowsInserted();
}

void ListRows::SetText(int position, std::string text) {
    CheckPosition(position);
    m_rows[static_cast<std::size_t>(position - 1)].text = std::move(text);
    if (m_observer) m_observer->RowChanged(position - 1);
}

void ListRows::SetTag(int position, std::string tag) {
    CheckPosition(position);
    m_rows[static_cast<std::size_t>(position - 1)].tag = std::move(tag);
}

void ListRows::SetSubItem(int position, int k, std::string value) {
    CheckPosition(position);
    m_rows[static_cast<std::size_t>(position - 1)].SetSubItem(k, std::move(value));
    if (m_observer) m_observer->RowChanged(position - 1);
}

void ListRows::Clear() {
    if (m_observer) m_observer->AboutToReset();
    m_rows.clear();
    m_selected.reset();
    if (m_observer) m_observer->Reset();
    if (m_observer) m_observer->SelectionChanged();
}

void ListRows::RemoveAt(int position) {
    CheckPosition(position);
    const int index = position - 1;
    if (m_observer) m_observer->RowsAboutToBeRemoved(index, index);
    m_rows.erase(m_rows.begin() + index);
    bool selectionChanged = false;
    if (m_selected) {
        if (*m_selected == position) {
            m_selected.reset();
            selectionChanged = true;
        } else if (*m_selected > position) {
            --*m_selected;
        }
    }
    if (m_observer) m_observer->RowsRemoved();
    if (selectionChanged && m_observer) m_observer->SelectionChanged();
}

void ListRows::Select(int position) {
    std::optional<int> next;
    if (position >= 1 && position <= Count()) next = position;
    if (next == m_selected) return;
    m_selected = next;
    if (m_observer) m_observer->SelectionChanged();
}

int ListRows::AddColumn(std::string text, int widthTwips) {
    m_columns.push_back({std::move(text), widthTwips});
    if (m_observer) m_observer->ColumnsChanged();
    return static_cast<int>(m_columns.size());
}

void ListRows::ClearColumns() {
    m_columns.clear();
    if (m_observer) m_observer->ColumnsChanged();
}

void ListRows::SetSorted(bool sorted) {
    m_sorted = sorted;
    Resort();
}

void ListRows::SetSortKey(int key) {
    m_sortKey = key < 0 ? 0 : key;
    Resort();
}

void ListRows::SetSortOrder(SortOrder order) {
    m_order = order;
    Resort();
}

int ListRows::InsertPosition(const ListRow& row) const {
    const std::string& key = row.Column(m_sortKey);
    const bool descending = m_order == SortOrder::Descending;
    // After the rows that sort equal, so that equal rows keep the order they came in.
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), key,
                                     [&](const std::string& k, const ListRow& r) {
                                         const int c = CompareListText(k, r.Column(m_sortKey));
                                         return descending ? c > 0 : c < 0;
                                     });
    return static_cast<int>(it - m_rows.begin());
}

void ListRows::Resort() {
    if (!m_sorted || m_rows.size() < 2) return;
    std::vector<std::size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const bool descending = m_order == SortOrder::Descending;
    const int key = m_sortKey;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareListText(m_rows[a].Column(key), m_rows[b].Column(key));
        return descending ? c > 0 : c < 0;
    });
    if (m_observer) m_observer->AboutToReset();
    std::vector<ListRow> sorted;
    sorted.reserve(m_rows.size());
    std::optional<int> selected;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (m_selected && static_cast<int>(order[i]) == *m_selected - 1) {
            selected = static_cast<int>(i) + 1;
        }
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows = std::move(sorted);
    m_selected = selected;
    if (m_observer) m_observer->Reset();
    if (m_observer && m_selected) m_observer->SelectionChanged();
}

}  // namespace quorvel
