#pragma once

#include "rows/ListRows.h"

#include <QTreeView>

#include <memory>

namespace quorvel {

class ListRowsModel;
class RowFilterModel;

// The list view in report view: a header of columns over the rows of a ListRows, one selected
// row kept in step with the rows' selection both ways, no editing. Positions in its signals
// count from 1, as the list's own interface does.
//
// The rows are shared: the view keeps them alive, and a caller may keep them too (for the
// catalogue tools that work on the rows alone). One view at a time follows a ListRows.
class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);
    explicit ListView(std::shared_ptr<ListRows> rows, QWidget* parent = nullptr);
    ~ListView() override;

    ListRows& Rows();
    const ListRows& Rows() const;
    const std::shared_ptr<ListRows>& SharedRows() const;
    ListRowsModel* RowsModel() const { return m_model; }
    // What the view shows of the rows: all of them unless a filter is set. Positions in the
    // signals stay positions of the rows, whatever is hidden.
    RowFilterModel* FilterModel() const { return m_filter; }
    // A widget above the column header, inside the list's own area (a search box).
    void SetTopWidget(QWidget* widget);

Q_SIGNALS:
    // A row was clicked (or Enter pressed on the current row); its position from 1.
    void ItemClick(int position);
    // A column header was clicked; its position from 1.
    void ColumnClick(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void ApplyColumnWidths(int first, int last);
    void SelectionFromRows();
    void SelectionToRows();

    int PositionOf(const QModelIndex& shown) const;

    ListRowsModel* m_model = nullptr;
    RowFilterModel* m_filter = nullptr;
    bool m_syncingSelection = false;
};

}  // namespace quorvel
