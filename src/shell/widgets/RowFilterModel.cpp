#include "shell/widgets/RowFilterModel.h"

#include <QBrush>
#include <QColor>

#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/PlainText.h"

namespace quorvel {

RowFilterModel::RowFilterModel(ListRowsModel* source, QObject* parent)
    : QAbstractProxyModel(parent), m_rows(source) {
    QAbstractProxyModel::setSourceModel(source);
    ConnectSource();
}

void RowFilterModel::ConnectSource() {
    QAbstractItemModel* s = m_rows;
    connect(s, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                m_rowsChanged = true;
                if (m_visible)
                    return SourceAboutToChange();
                beginInsertRows(QModelIndex(), first, last);
            });
    connect(s, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_resetting)
            return SourceChanged();
        endInsertRows();
    });
    connect(s, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                m_rowsChanged = true;
                if (m_visible)
                    return SourceAboutToChange();
                beginRemoveRows(QModelIndex(), first, last);
            });
    connect(s, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_resetting)
            return SourceChanged();
        endRemoveRows();
    });
    connect(s, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_rowsChanged = true;
        SourceAboutToChange();
    });
    connect(s, &QAbstractItemModel::modelReset, this, &RowFilterModel::SourceChanged);
    connect(s, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        m_rowsChanged = true;
        SourceAboutToChange();
    });
    connect(s, &QAbstractItemModel::layoutChanged, this, &RowFilterModel::SourceChanged);
    connect(s, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (roles == QList<int>{Qt::DecorationRole} ||
                    roles.contains(ListRowsModel::ExtraCellsRole)) {
                    // Pictures came, or the extra column's cells changed: nothing the filter
                    // reads changed, and the views repaint what they show.
                    if (!m_visible)
                        Q_EMIT dataChanged(mapFromSource(topLeft), mapFromSource(bottomRight),
                                           roles);
                    else if (!m_visible->empty())
                        Q_EMIT dataChanged(index(0, topLeft.column()),
                                           index(rowCount() - 1, bottomRight.column()), roles);
                    return;
                }
                m_rowsChanged = true;
                if (!m_visible) {
                    Q_EMIT dataChanged(mapFromSource(topLeft), mapFromSource(bottomRight), roles);
                    return;
                }
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    const QModelIndex shown = mapFromSource(m_rows->index(row, 0));
                    if (shown.isValid())
                        Q_EMIT dataChanged(shown, index(shown.row(), columnCount() - 1), roles);
                }
                // A changed name may enter or leave the filter: ask it again, once for all
                // the changes in a row (a bulk replace changes thousands of rows).
                if (m_refilterQueued)
                    return;
                m_refilterQueued = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        m_refilterQueued = false;
                        if (m_visible)
                            Refilter();
                    },
                    Qt::QueuedConnection);
            });
    connect(s, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                beginInsertColumns(QModelIndex(), first, last);
            });
    connect(s, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
    connect(s, &QAbstractItemModel::columnsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                beginRemoveColumns(QModelIndex(), first, last);
            });
    connect(s, &QAbstractItemModel::columnsRemoved, this, [this] { endRemoveColumns(); });
    connect(s, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
}

void RowFilterModel::SourceAboutToChange() {
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void RowFilterModel::SourceChanged() {
    if (!m_resetting)
        return;
    ApplyFilter();
    m_resetting = false;
    endResetModel();
}

void RowFilterModel::SetRowFilter(RowFilter filter) {
    m_filter = std::move(filter);
    Refilter();
}

void RowFilterModel::Refilter() {
    SourceAboutToChange();
    SourceChanged();
}

void RowFilterModel::ApplyFilter() {
    m_visible.reset();
    m_proxyRowOf.clear();
    if (m_filter)
        m_visible = m_filter(m_rowsChanged);
    m_rowsChanged = false;
    if (!m_visible)
        return;
    const int count = m_rows->rowCount();
    m_proxyRowOf.assign(static_cast<std::size_t>(count), -1);
    // Drop anything out of range, so a filter that lags behind the rows cannot crash a view.
    std::size_t kept = 0;
    for (const int source : *m_visible) {
        if (source >= 0 && source < count) {
            m_proxyRowOf[static_cast<std::size_t>(source)] = static_cast<int>(kept);
            (*m_visible)[kept++] = source;
        }
    }
    m_visible->resize(kept);
}

void RowFilterModel::SetRowMark(RowMark mark) {
    m_mark = std::move(mark);
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows > 0 && columns > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, columns - 1),
                           {Qt::ForegroundRole, Qt::ToolTipRole});
}

QModelIndex RowFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex RowFilterModel::parent(const QModelIndex&) const {
    return {};
}

int RowFilterModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_visible ? static_cast<int>(m_visible->size()) : m_rows->rowCount();
}

int RowFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows->columnCount();
}

QModelIndex RowFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    const int row =
        m_visible ? (*m_visible)[static_cast<std::size_t>(proxyIndex.row())] : proxyIndex.row();
    return m_rows->index(row, proxyIndex.column());
}

QModelIndex RowFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || sourceIndex.model() != m_rows)
        return {};
    int row = sourceIndex.row();
    if (m_visible) {
        if (row >= static_cast<int>(m_proxyRowOf.size()))
            return {};
        row = m_proxyRowOf[static_cast<std::size_t>(row)];
        if (row < 0)
            return {};
    }
    return index(row, sourceIndex.column());
}

QVariant RowFilterModel::data(const QModelIndex& index, int role) const {
    if ((role == Qt::ForegroundRole || role == Qt::ToolTipRole) && m_mark && index.isValid()) {
        const QModelIndex source = mapToSource(index);
        if (const auto reason = m_mark(m_rows->Rows().At(source.row() + 1))) {
            if (role == Qt::ForegroundRole)
                return QBrush(QColor(0xB0, 0x00, 0x20));
            // A long name leaves room for the reason.
            const QString name = m_rows->data(source, Qt::DisplayRole).toString();
            return PlainToolTip(CappedText(name, kToolTipChars / 2) + " \u2014 " + *reason);
        }
    }
    return QAbstractProxyModel::data(index, role);
}

QVariant RowFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal)
        return m_rows->headerData(section, orientation, role);
    return QAbstractProxyModel::headerData(section, orientation, role);
}

}  // namespace quorvel
