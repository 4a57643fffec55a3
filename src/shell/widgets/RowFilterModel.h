#pragma once

#include <QAbstractProxyModel>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "rows/ListRows.h"

namespace quorvel {

class ListRowsModel;

// Shows the rows of a ListRowsModel, or only some of them, in their order. Without a
// filter it passes every change straight through. With one it holds the visible source
// rows as one array, so narrowing a million rows is one reset of the views, never a
// change per row; any change of the rows asks the filter again.
//
// It may also mark rows (a red text and a tool tip with the reason), for checks whose
// results should stay on the rows while they are sorted or moved.
class RowFilterModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    // The source rows to show, ascending; nothing shows every row. `rowsChanged` tells
    // that the rows changed since the filter was last asked.
    using RowFilter = std::function<std::optional<std::vector<int>>(bool rowsChanged)>;
    // The reason a row is marked, or nothing.
    using RowMark = std::function<std::optional<QString>(const ListRow& row)>;

    explicit RowFilterModel(ListRowsModel* source, QObject* parent = nullptr);

    void SetRowFilter(RowFilter filter);
    // Asks the filter again (after its query changed).
    void Refilter();
    bool Filtered() const { return m_visible.has_value(); }

    void SetRowMark(RowMark mark);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void ConnectSource();
    // Structural changes: passed through unfiltered, a reset with the filter asked again
    // when filtered.
    void SourceAboutToChange();
    void SourceChanged();
    void ApplyFilter();

    ListRowsModel* m_rows;
    RowFilter m_filter;
    RowMark m_mark;
    std::optional<std::vector<int>> m_visible;  // proxy row -> source row
    std::vector<int> m_proxyRowOf;              // source row -> proxy row or -1, when filtered
    bool m_rowsChanged = true;
    bool m_resetting = false;  // a change that began filtered ends as a reset
    bool m_refilterQueued = false;
};

}  // namespace quorvel
