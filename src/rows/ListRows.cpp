#include "rows/ListRows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace quorvel {
namespace {

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The first eight bytes of a text with ASCII letters folded, big-endian, zero-padded: a
// smaller number means the text sorts first under CompareListText; equal numbers decide
// nothing.
std::uint64_t FoldedPrefix(const std::string& text) {
    std::uint64_t prefix = 0;
    const std::size_t n = std::min<std::size_t>(text.size(), 8);
    for (std::size_t i = 0; i < 8; ++i) {
        prefix = prefix << 8 | static_cast<unsigned char>(i < n ? FoldAscii(text[i]) : '\0');
    }
    return prefix;
}

}  // namespace

const std::string& ListRow::SubItem(int k) const {
    if (k < 1 || k > static_cast<int>(subItems.size()))
        return EmptyText();
    return subItems[static_cast<std::size_t>(k - 1)];
}

void ListRow::SetSubItem(int k, std::string value) {
    if (k < 1)
        throw std::out_of_range("sub-items are numbered from 1");
    if (static_cast<int>(subItems.size()) < k)
        subItems.resize(static_cast<std::size_t>(k));
    subItems[static_cast<std::size_t>(k - 1)] = std::move(value);
}

const std::string& ListRow::Column(int key) const {
    return key == 0 ? text : SubItem(key);
}

int CompareListText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
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
    if (m_observer)
        m_observer->RowsAboutToBeInserted(index, index);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (m_selected && *m_selected > index)
        ++*m_selected;
    if (m_observer)
        m_observer->RowsInserted();
    return index + 1;
}

void ListRows::AddRows(std::vector<ListRow> rows) {
    if (rows.empty())
        return;
    if (m_sorted) {
        // One reset instead of a notification per row.
        if (m_observer)
            m_observer->AboutToReset();
        m_rows.reserve(m_rows.size() + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
        const auto observer = m_observer;
        m_observer = nullptr;
        Resort();
        m_observer = observer;
        if (m_observer)
            m_observer->Reset();
        return;
    }
    const int first = Count();
    if (m_observer)
        m_observer->RowsAboutToBeInserted(first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty()) {
        m_rows = std::move(rows);  // a fresh list takes the rows as they come
    } else {
        m_rows.reserve(m_rows.size() + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    }
    if (m_observer)
        m_observer->RowsInserted();
}

int ListRows::SetText(int position, std::string text) {
    CheckPosition(position);
    std::string& current = m_rows[static_cast<std::size_t>(position - 1)].text;
    const bool moves = m_sorted && m_sortKey == 0 && current != text;
    current = std::move(text);
    if (m_observer)
        m_observer->RowChanged(position - 1);
    return moves ? Replace(position - 1) + 1 : position;
}

void ListRows::SetTag(int position, std::string tag) {
    CheckPosition(position);
    m_rows[static_cast<std::size_t>(position - 1)].tag = std::move(tag);
}

int ListRows::SetSubItem(int position, int k, std::string value) {
    CheckPosition(position);
    ListRow& row = m_rows[static_cast<std::size_t>(position - 1)];
    // Setting a column to the text it holds leaves a row among its equals where it is.
    const bool moves = m_sorted && m_sortKey == k && row.SubItem(k) != value;
    row.SetSubItem(k, std::move(value));
    if (m_observer)
        m_observer->RowChanged(position - 1);
    return moves ? Replace(position - 1) + 1 : position;
}

ListRows::DeferredPlacement::~DeferredPlacement() {
    if (--m_rows.m_deferred == 0 && m_rows.m_placementPending) {
        m_rows.m_placementPending = false;
        m_rows.Resort();
    }
}

int ListRows::Replace(int index) {
    if (m_deferred > 0) {
        m_placementPending = true;
        return index;
    }
    const auto i = static_cast<std::size_t>(index);
    const std::string& key = m_rows[i].Column(m_sortKey);
    const auto before = [&](const std::string& a, const std::string& b) {
        const int c = CompareListText(a, b);
        return m_order == SortOrder::Descending ? c > 0 : c < 0;
    };
    // A row that already fits between its neighbours stays. Like Add, it belongs after the
    // rows that sort equal to it.
    const bool fitsAfterPrevious = i == 0 || !before(key, m_rows[i - 1].Column(m_sortKey));
    const bool fitsBeforeNext =
        i + 1 == m_rows.size() || before(key, m_rows[i + 1].Column(m_sortKey));
    if (fitsAfterPrevious && fitsBeforeNext)
        return index;

    // Its place among the other rows: after those that sort equal, as Add would put it.
    std::size_t lo = 0;
    std::size_t hi = m_rows.size() - 1;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (before(key, m_rows[mid < i ? mid : mid + 1].Column(m_sortKey)))
            hi = mid;
        else
            lo = mid + 1;
    }
    const int to = static_cast<int>(lo);
    if (m_observer)
        m_observer->RowAboutToBeMoved(index, to);
    if (to < index)
        std::rotate(m_rows.begin() + to, m_rows.begin() + index, m_rows.begin() + index + 1);
    else
        std::rotate(m_rows.begin() + index, m_rows.begin() + index + 1, m_rows.begin() + to + 1);
    const std::optional<int> wasSelected = m_selected;
    if (m_selected) {
        const int selected = *m_selected - 1;
        if (selected == index)
            m_selected = to + 1;
        else if (index < selected && selected <= to)
            --*m_selected;
        else if (to <= selected && selected < index)
            ++*m_selected;
    }
    if (m_observer)
        m_observer->RowMoved();
    if (m_observer && m_selected != wasSelected)
        m_observer->SelectionChanged();
    return to;
}

void ListRows::Clear() {
    if (m_observer)
        m_observer->AboutToReset();
    m_rows.clear();
    m_selected.reset();
    if (m_observer)
        m_observer->Reset();
    if (m_observer)
        m_observer->SelectionChanged();
}

void ListRows::RemoveAt(int position) {
    CheckPosition(position);
    const int index = position - 1;
    if (m_observer)
        m_observer->RowsAboutToBeRemoved(index, index);
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
    if (m_observer)
        m_observer->RowsRemoved();
    if (selectionChanged && m_observer)
        m_observer->SelectionChanged();
}

void ListRows::Select(int position) {
    std::optional<int> next;
    if (position >= 1 && position <= Count())
        next = position;
    if (next == m_selected)
        return;
    m_selected = next;
    if (m_observer)
        m_observer->SelectionChanged();
}

int ListRows::AddColumn(std::string text, int widthTwips) {
    m_columns.push_back({std::move(text), widthTwips});
    if (m_observer)
        m_observer->ColumnsChanged();
    return static_cast<int>(m_columns.size());
}

void ListRows::SetColumnText(int position, std::string text) {
    if (position < 1 || position > static_cast<int>(m_columns.size()))
        throw std::out_of_range("no such column");
    m_columns[static_cast<std::size_t>(position - 1)].text = std::move(text);
    if (m_observer)
        m_observer->ColumnsChanged();
}

void ListRows::ClearColumns() {
    m_columns.clear();
    if (m_observer)
        m_observer->ColumnsChanged();
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
    if (!m_sorted || m_rows.size() < 2)
        return;
    // The column texts, letter case folded and then as they are, side by side in one buffer,
    // and their first eight folded bytes packed into one number: most comparisons end on
    // that number, the rest on memcmp in the buffer, never chasing the rows themselves.
    struct SortEntry {
        std::uint64_t prefix;
        std::size_t offset;  // the folded text at offset, the text itself right after it
        std::size_t length;
        std::size_t index;
    };
    std::vector<SortEntry> entries(m_rows.size());
    std::size_t total = 0;
    for (const auto& row : m_rows)
        total += 2 * row.Column(m_sortKey).size();
    std::string buffer;
    buffer.reserve(total);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string& text = m_rows[i].Column(m_sortKey);
        const std::size_t offset = buffer.size();
        for (const char c : text)
            buffer.push_back(FoldAscii(c));
        buffer.append(text);
        entries[i] = {FoldedPrefix(text), offset, text.size(), i};
    }
    const char* const data = buffer.data();
    const auto before = [data](const SortEntry& a, const SortEntry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const std::size_t n = std::min(a.length, b.length);
        const int folded = std::memcmp(data + a.offset, data + b.offset, n);
        if (folded != 0)
            return folded < 0;
        if (a.length != b.length)
            return a.length < b.length;
        return std::memcmp(data + a.offset + n, data + b.offset + n, n) < 0;
    };
    if (m_order == SortOrder::Descending) {
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const SortEntry& a, const SortEntry& b) { return before(b, a); });
    } else {
        std::stable_sort(entries.begin(), entries.end(), before);
    }
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].index;
    if (m_observer)
        m_observer->AboutToReset();
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
    if (m_observer)
        m_observer->Reset();
    if (m_observer && m_selected)
        m_observer->SelectionChanged();
}

void ListRows::RemoveMarked(const std::vector<bool>& marked) {
    if (marked.size() != m_rows.size())
        throw std::invalid_argument("one mark per row is needed");
    if (std::find(marked.begin(), marked.end(), true) == marked.end())
        return;
    if (m_observer)
        m_observer->AboutToReset();
    std::size_t kept = 0;
    std::optional<int> selected;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (marked[i])
            continue;
        if (m_selected && static_cast<int>(i) == *m_selected - 1)
            selected = static_cast<int>(kept) + 1;
        if (kept != i)
            m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
    const bool selectionChanged = selected != m_selected;
    m_selected = selected;
    if (m_observer)
        m_observer->Reset();
    if (m_observer && (selectionChanged || m_selected))
        m_observer->SelectionChanged();
}

void ListRows::SetLayout(int position, RowLayout layout) {
    CheckPosition(position);
    m_rows[static_cast<std::size_t>(position - 1)].layout = layout;
    if (m_observer)
        m_observer->RowChanged(position - 1);
}

}  // namespace quorvel
