#include "shell/widgets/ListRowsModel.h"

#include "shell/widgets/PlainText.h"

namespace quorvel {
namespace {

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Only the start of a huge cell is read: a cell shows at most kPlainTextChars characters,
// and a UTF-8 character of up to three bytes is one of them.
QString CellText(const std::string& text) {
    constexpr std::size_t kBytes = 3 * kPlainTextChars + 3;
    if (text.size() <= kBytes)
        return ToQString(text);
    return CappedText(QString::fromUtf8(text.data(), kBytes));
}

}  // namespace

ListRowsModel::ListRowsModel(std::shared_ptr<ListRows> rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows ? std::move(rows) : std::make_shared<ListRows>()) {
    m_columnCount = static_cast<int>(m_rows->Columns().size());
    m_rows->SetObserver(this);
}

ListRowsModel::~ListRowsModel() {
    m_rows->SetObserver(nullptr);
}

int ListRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows->Count();
}

int ListRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columnCount + (m_extra ? 1 : 0);
}

QVariant ListRowsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const ListRow& row = m_rows->At(index.row() + 1);
    if (m_extra && index.column() == m_columnCount)
        return role == TagRole ? ToQString(row.tag) : m_extra(row, role);
    switch (role) {
        case Qt::DisplayRole:
            return CellText(row.Column(index.column()));
        case Qt::ToolTipRole:
            // Made when the view asks, for the one cell under the pointer.
            return PlainToolTip(CellText(row.Column(index.column())));
        case TagRole:
            return ToQString(row.tag);
        case Qt::DecorationRole:
            if (index.column() == 0 && m_picture)
                return m_picture(row);
            return {};
        default:
            return {};
    }
}

void ListRowsModel::SetRowPicture(RowPicture picture) {
    m_picture = std::move(picture);
    PicturesChanged();
}

void ListRowsModel::PicturesChanged() {
    if (m_rows->Count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows->Count() - 1, 0), {Qt::DecorationRole});
}

void ListRowsModel::SetExtraColumn(QString header, ExtraColumn cells) {
    m_extraHeader = std::move(header);
    if (m_extra && !cells) {
        beginRemoveColumns(QModelIndex(), m_columnCount, m_columnCount);
        m_extra = nullptr;
        endRemoveColumns();
    } else if (!m_extra && cells) {
        beginInsertColumns(QModelIndex(), m_columnCount, m_columnCount);
        m_extra = std::move(cells);
        endInsertColumns();
    } else if (cells) {
        m_extra = std::move(cells);
        Q_EMIT headerDataChanged(Qt::Horizontal, m_columnCount, m_columnCount);
        ExtraColumnChanged();
    }
}

void ListRowsModel::ExtraColumnChanged() {
    if (m_extra && m_rows->Count() > 0)
        Q_EMIT dataChanged(index(0, m_columnCount), index(m_rows->Count() - 1, m_columnCount),
                           {Qt::DisplayRole, Qt::ToolTipRole, ExtraCellsRole});
}

QVariant ListRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        return section >= 0 && section < rowCount() ? QVariant(section + 1) : QVariant();
    }
    if (m_extra && section == m_columnCount)
        return m_extraHeader;
    if (section < 0 || section >= m_columnCount)
        return {};
    const auto& columns = m_rows->Columns();
    if (section >= static_cast<int>(columns.size()))
        return {};
    return CellText(columns[static_cast<std::size_t>(section)].text);
}

Qt::ItemFlags ListRowsModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ListRowsModel::RowsAboutToBeInserted(int first, int last) {
    beginInsertRows(QModelIndex(), first, last);
}

void ListRowsModel::RowsInserted() {
    endInsertRows();
}

void ListRowsModel::RowsAboutToBeRemoved(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
}

void ListRowsModel::RowsRemoved() {
    endRemoveRows();
}

void ListRowsModel::AboutToReset() {
    beginResetModel();
}

void ListRowsModel::Reset() {
    endResetModel();
    // A reset drops the views' selection; they take it again from the rows.
    Q_EMIT RowsSelectionChanged();
}

void ListRowsModel::RowChanged(int index) {
    if (m_columnCount == 0)
        return;
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, m_columnCount - 1),
                       {Qt::DisplayRole, Qt::ToolTipRole});
}

void ListRowsModel::RowAboutToBeMoved(int from, int to) {
    // Qt counts the destination before the row leaves its place.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
}

void ListRowsModel::RowMoved() {
    endMoveRows();
}

void ListRowsModel::ColumnsChanged() {
    const int count = static_cast<int>(m_rows->Columns().size());
    if (count > m_columnCount) {
        beginInsertColumns(QModelIndex(), m_columnCount, count - 1);
        m_columnCount = count;
        endInsertColumns();
    } else if (count < m_columnCount) {
        beginRemoveColumns(QModelIndex(), count, m_columnCount - 1);
        m_columnCount = count;
        endRemoveColumns();
    }
    if (m_columnCount > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columnCount - 1);
}

void ListRowsModel::SelectionChanged() {
    Q_EMIT RowsSelectionChanged();
}

}  // namespace quorvel
