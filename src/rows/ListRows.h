#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Which channel field each sub-item holds. Rows of the catalogue (loaded, added or edited)
// hold category, type and URL in sub-items 1 to 3; rows of a list import hold URL,
// category and section.
enum class RowLayout { Catalogue, Import };

// One row of a list view: its text (first column), a hidden tag, and sub-items
// 1, 2, 3... for the further columns. Unset parts read as the empty text.
struct ListRow {
    std::string text;
    std::string tag;
    std::vector<std::string> subItems;  // subItems[k - 1] is sub-item k
    RowLayout layout = RowLayout::Catalogue;
    // The address of a picture for the first column (a channel's logo); empty for none.
    std::string logo = {};

    const std::string& SubItem(int k) const;
    void SetSubItem(int k, std::string value);
    // Column key from 0: 0 is the row text, k is sub-item k.
    const std::string& Column(int key) const;
};

struct ListColumn {
    std::string text;
    int widthTwips = 1440;
};

enum class SortOrder { Ascending = 0, Descending = 1 };

// Told of every change, so that a view can follow the rows. Indexes here are 0-based,
// as item models count; the list's own interface counts positions from 1.
class ListRowsObserver {
public:
    virtual ~ListRowsObserver() = default;
    virtual void RowsAboutToBeInserted(int first, int last) = 0;
    virtual void RowsInserted() = 0;
    virtual void RowsAboutToBeRemoved(int first, int last) = 0;
    virtual void RowsRemoved() = 0;
    virtual void AboutToReset() = 0;
    virtual void Reset() = 0;
    virtual void RowChanged(int index) = 0;
    // One row moves from index `from` to index `to` (its index once the move is done).
    virtual void RowAboutToBeMoved(int from, int to) = 0;
    virtual void RowMoved() = 0;
    virtual void ColumnsChanged() = 0;
    virtual void SelectionChanged() = 0;
};

// The rows of a list view in display order, with its columns, selection and sorted mode.
class ListRows {
public:
    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Empty() const { return m_rows.empty(); }

    // Row at a position from 1 to Count(); any other position throws std::out_of_range.
    const ListRow& At(int position) const;

    // Adds a row at the end, or at its sort position while sorted mode is on; returns
    // its position.
    int Add(std::string text);
    int Add(ListRow row);
    // Adds many rows at once (one notification); sorted mode places them too.
    void AddRows(std::vector<ListRow> rows);

    // While sorted mode is on, changing the text of the sort column moves the row to its
    // sort position (the selection stays on it), so a row filled after Add ends where a whole
    // row would have been placed. Both return the row's position afterwards: callers that
    // go on filling the row use that one.
    int SetText(int position, std::string text);
    void SetTag(int position, std::string tag);
    int SetSubItem(int position, int k, std::string value);
    void SetLayout(int position, RowLayout layout);

    void Clear();
    // The rows after it move up by one; a bad position throws std::out_of_range.
    void RemoveAt(int position);
    // Removes every row whose index (from 0) is marked, in one change; the others keep
    // their order. `marked` has one entry per row.
    void RemoveMarked(const std::vector<bool>& marked);

    // The selected row's position, or nothing when no row is selected.
    std::optional<int> SelectedPosition() const { return m_selected; }
    // 0 (or any position out of range) clears the selection.
    void Select(int position);

    const std::vector<ListColumn>& Columns() const { return m_columns; }
    // Appends a column after the existing ones; returns its position from 1.
    int AddColumn(std::string text, int widthTwips);
    // Renames the column at a position from 1; a bad position throws std::out_of_range.
    void SetColumnText(int position, std::string text);
    void ClearColumns();

    bool Sorted() const { return m_sorted; }
    int SortKey() const { return m_sortKey; }
    SortOrder Order() const { return m_order; }
    // Each of these re-sorts at once while sorted mode is on.
    void SetSorted(bool sorted);
    void SetSortKey(int key);
    void SetSortOrder(SortOrder order);

    void SetObserver(ListRowsObserver* observer) { m_observer = observer; }

    // While one exists, rows whose sort column changes stay where they are, so that a walk
    // over the positions or a series of changes to one row sees no row move; when the last
    // one ends, sorted mode re-sorts once.
    class DeferredPlacement {
    public:
        explicit DeferredPlacement(ListRows& rows) : m_rows(rows) { ++m_rows.m_deferred; }
        ~DeferredPlacement();
        DeferredPlacement(const DeferredPlacement&) = delete;
        DeferredPlacement& operator=(const DeferredPlacement&) = delete;

    private:
        ListRows& m_rows;
    };

private:
    int InsertPosition(const ListRow& row) const;
    // Moves the row at index to where the sort order wants it (or notes that it must once
    // placement is no longer deferred); returns its index afterwards.
    int Replace(int index);
    void Resort();
    void CheckPosition(int position) const;

    std::vector<ListRow> m_rows;
    std::vector<ListColumn> m_columns;
    std::optional<int> m_selected;
    bool m_sorted = false;
    int m_deferred = 0;
    bool m_placementPending = false;
    int m_sortKey = 0;
    SortOrder m_order = SortOrder::Ascending;
    ListRowsObserver* m_observer = nullptr;
};

// The order sorted mode uses: letter case ignored (ASCII), then the bytes as a tie-break,
// so the order is total and the same on every run.
int CompareListText(const std::string& a, const std::string& b);

}  // namespace quorvel
