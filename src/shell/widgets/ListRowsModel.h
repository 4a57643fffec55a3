#pragma once

#include "rows/ListRows.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>

namespace quorvel {

// A read-only table model that follows one ListRows: row text in column 0, sub-item k in
// column k, the hidden tag under TagRole. The rows stay the store; the model only shows
// them and forwards their change notices to the views.
class ListRowsModel : public QAbstractTableModel, private ListRowsObserver {
    Q_OBJECT
public:
    static constexpr int TagRole = Qt::UserRole + 1;
    // Among the roles of a change to the extra column's cells only.
    static constexpr int ExtraCellsRole = Qt::UserRole + 2;

    explicit ListRowsModel(std::shared_ptr<ListRows> rows, QObject* parent = nullptr);
    ~ListRowsModel() override;

    ListRows& Rows() { return *m_rows; }
    const ListRows& Rows() const { return *m_rows; }
    const std::shared_ptr<ListRows>& SharedRows() const { return m_rows; }

    // The picture of a row's first column (its logo, or an empty place); asked only for the
    // rows painted.
    using RowPicture = std::function<QVariant(const ListRow& row)>;
    void SetRowPicture(RowPicture picture);
    // Pictures came: the views ask again for those they show. Nothing else changed.
    void PicturesChanged();

    // A column after the rows' own ones whose cells the caller makes (what is on now), asked
    // only for the cells the views show. An empty `cells` takes the column away.
    using ExtraColumn = std::function<QVariant(const ListRow& row, int role)>;
    void SetExtraColumn(QString header, ExtraColumn cells);
    // The extra column's index, or -1 while there is none.
    int ExtraColumnIndex() const { return m_extra ? m_columnCount : -1; }
    // The extra column's cells changed: the views ask again for those they show.
    void ExtraColumnChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // The selected row of the ListRows changed (or may have, after a reset).
    void RowsSelectionChanged();

private:
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void AboutToReset() override;
    void Reset() override;
    void RowChanged(int index) override;
    void RowAboutToBeMoved(int from, int to) override;
    void RowMoved() override;
    void ColumnsChanged() override;
    void SelectionChanged() override;

    std::shared_ptr<ListRows> m_rows;
    RowPicture m_picture;
    ExtraColumn m_extra;
    QString m_extraHeader;
    // The column count the views were last told; ListRows reports column changes only
    // after the fact, so the model keeps its own count until it has announced the change.
    int m_columnCount = 0;
};

}  // namespace quorvel
