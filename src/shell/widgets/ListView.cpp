#include "shell/widgets/ListView.h"

#include "shell/widgets/ListHeader.h"
#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/RowFilterModel.h"
#include "shell/widgets/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace quorvel {

ListView::ListView(QWidget* parent) : ListView(std::make_shared<ListRows>(), parent) {}

ListView::ListView(std::shared_ptr<ListRows> rows, QWidget* parent)
    : QTreeView(parent),
      m_model(new ListRowsModel(std::move(rows), this)),
      m_filter(new RowFilterModel(m_model, this)) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    // Every row has the same height, so the view need not measure 100,000 of them.
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);  // the rows sort themselves (sorted mode)
    setTextElideMode(Qt::ElideRight);

    setHeader(new ListHeader(this));
    QHeaderView* columns = header();
    columns->setSectionsClickable(true);
    columns->setSectionsMovable(false);  // header positions stay the column positions
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);

    setModel(m_filter);
    ApplyColumnWidths(0, m_model->columnCount() - 1);

    connect(m_model, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) { ApplyColumnWidths(first, last); });
    connect(m_model, &ListRowsModel::RowsSelectionChanged, this, &ListView::SelectionFromRows);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_syncingSelection = false;
        SelectionFromRows();
    });
    // A new filter drops the view's selection; a selected row it hides is no longer
    // selected, so that no tool acts on a row that cannot be seen.
    connect(m_filter, &QAbstractItemModel::modelReset, this, [this] {
        const std::optional<int> selected = Rows().SelectedPosition();
        if (m_filter->Filtered() && selected &&
            !m_filter->mapFromSource(m_model->index(*selected - 1, 0)).isValid())
            Rows().Select(0);
        SelectionFromRows();
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListView::SelectionToRows);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT ItemClick(PositionOf(index));
    });
    connect(columns, &QHeaderView::sectionClicked, this,
            [this](int logicalIndex) { Q_EMIT ColumnClick(logicalIndex + 1); });
    SelectionFromRows();
}

ListView::~ListView() {
    // The models go before the rows may: detach them while both still exist.
    setModel(nullptr);
    delete m_filter;
    m_filter = nullptr;
    delete m_model;
    m_model = nullptr;
}

ListRows& ListView::Rows() {
    return m_model->Rows();
}

const ListRows& ListView::Rows() const {
    return m_model->Rows();
}

const std::shared_ptr<ListRows>& ListView::SharedRows() const {
    return m_model->SharedRows();
}

void ListView::ApplyColumnWidths(int first, int last) {
    const auto& columns = Rows().Columns();
    for (int i = first; i <= last && i < static_cast<int>(columns.size()); ++i) {
        header()->resizeSection(i, TwipsToPixels(columns[static_cast<std::size_t>(i)].widthTwips));
    }
}

void ListView::SelectionFromRows() {
    if (m_syncingSelection)
        return;
    m_syncingSelection = true;
    const std::optional<int> selected = Rows().SelectedPosition();
    QItemSelectionModel* selection = selectionModel();
    const QModelIndex index = selected && *selected <= m_model->rowCount()
                                  ? m_filter->mapFromSource(m_model->index(*selected - 1, 0))
                                  : QModelIndex();
    if (index.isValid()) {
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selection->clearSelection();
    }
    m_syncingSelection = false;
}

void ListView::SelectionToRows() {
    if (m_syncingSelection)
        return;
    m_syncingSelection = true;
    const QModelIndexList selected = selectionModel()->selectedRows();
    Rows().Select(selected.isEmpty() ? 0 : PositionOf(selected.first()));
    m_syncingSelection = false;
}

void ListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // Qt moves the selection to a neighbour when the selected row goes; the rows decide
    // what stays selected, so the view takes their selection once the removal is done.
    m_syncingSelection = true;
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void ListView::SetTopWidget(QWidget* widget) {
    static_cast<ListHeader*>(header())->SetTopWidget(widget);
    updateGeometries();
}

int ListView::PositionOf(const QModelIndex& shown) const {
    return m_filter->mapToSource(shown).row() + 1;
}

void ListView::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState && currentIndex().isValid()) {
        Q_EMIT ItemClick(PositionOf(currentIndex()));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace quorvel
