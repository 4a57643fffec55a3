#include "shell/widgets/ListSearch.h"

#include <QKeyEvent>

#include "shell/widgets/ListView.h"
#include "shell/widgets/RowFilterModel.h"

namespace quorvel {

SearchBox::SearchBox(QWidget* parent) : QLineEdit(parent) {
    setClearButtonEnabled(true);
}

void SearchBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

ListSearch::ListSearch(ListView* view, QLineEdit* box) : QObject(view), m_view(view) {
    m_view->FilterModel()->SetRowFilter([this](bool rowsChanged) { return Filter(rowsChanged); });
    if (box) {
        connect(box, &QLineEdit::textChanged, this, &ListSearch::SetQuery);
        SetQuery(box->text());
    }
}

void ListSearch::SetQuery(const QString& text) {
    if (text == m_query)
        return;
    m_query = text;
    m_queryUtf8 = text.toStdString();
    m_view->FilterModel()->Refilter();
}

std::optional<std::vector<int>> ListSearch::Filter(bool rowsChanged) {
    m_namesStale = m_namesStale || rowsChanged;
    if (m_queryUtf8.empty()) {
        // Nothing to find: the folded names are not kept for nothing.
        m_search.Clear();
        m_namesStale = true;
        return std::nullopt;
    }
    if (m_namesStale) {
        const ListRows& rows = m_view->Rows();
        m_search.Load(static_cast<std::size_t>(rows.Count()), [&rows](std::size_t row) {
            return std::string_view(rows.At(static_cast<int>(row) + 1).text);
        });
        m_namesStale = false;
    }
    return m_search.Find(m_queryUtf8);
}

}  // namespace quorvel
