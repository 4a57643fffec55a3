#include "shell/logos/ListLogos.h"

#include <QPixmap>
#include <QScrollBar>

#include <unordered_set>

#include "shell/logos/LogoProvider.h"
#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/RowFilterModel.h"

namespace quorvel {

ListLogos::ListLogos(ListView* view, LogoProvider* provider, LogoPlaces places)
    : QObject(view), m_view(view), m_provider(provider) {
    // As high as a line of text; logos are mostly wider than high.
    const int side = std::max(16, view->fontMetrics().height());
    m_box = QSize(side * 3 / 2, side);
    view->setIconSize(m_box);
    QPixmap empty(m_box);
    empty.fill(Qt::transparent);
    view->RowsModel()->SetRowPicture([this, empty, places](const ListRow& row) -> QVariant {
        if (row.logo.empty())
            return places == LogoPlaces::EveryRow ? QVariant(empty) : QVariant();
        const QPixmap logo = m_provider->ListLogo(row.logo, m_box);
        return logo.isNull() ? empty : logo;
    });
    connect(provider, &LogoProvider::LogosChanged, view->RowsModel(),
            &ListRowsModel::PicturesChanged);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &ListLogos::Scrolled);
    connect(view->FilterModel(), &QAbstractItemModel::modelReset, this, &ListLogos::Scrolled);
}

void ListLogos::Scrolled() {
    // Once for a burst of scrolling, after the view has painted its new rows.
    if (m_retainQueued)
        return;
    m_retainQueued = true;
    QMetaObject::invokeMethod(this, &ListLogos::RetainShown, Qt::QueuedConnection);
}

void ListLogos::RetainShown() {
    m_retainQueued = false;
    // A hidden list has nothing on screen to keep, and must not end what the shown one asked.
    if (!m_view->isVisible())
        return;
    std::unordered_set<std::string> shown;
    const QModelIndex first = m_view->indexAt(QPoint(0, 0));
    if (first.isValid()) {
        const int viewportHeight = m_view->viewport()->height();
        const ListRows& rows = m_view->Rows();
        for (QModelIndex at = first; at.isValid(); at = m_view->indexBelow(at)) {
            if (m_view->visualRect(at).top() > viewportHeight)
                break;
            const QModelIndex source = m_view->FilterModel()->mapToSource(at);
            if (source.isValid()) {
                const ListRow& row = rows.At(source.row() + 1);
                if (!row.logo.empty())
                    shown.insert(row.logo);
            }
        }
    }
    m_provider->Retain(shown);
}

}  // namespace quorvel
