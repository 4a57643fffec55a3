#include "shell/widgets/ListHeader.h"

namespace quorvel {

ListHeader::ListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    // What a tree view's own header does.
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ListHeader::SetTopWidget(QWidget* widget) {
    m_top = widget;
    if (m_top) {
        m_top->setParent(this);
        m_top->show();
    }
    PlaceTop();
    updateGeometry();
}

int ListHeader::TopHeight() const {
    return m_top && !m_top->isHidden() ? m_top->sizeHint().height() : 0;
}

QSize ListHeader::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    hint.rheight() += TopHeight();
    return hint;
}

void ListHeader::PlaceTop() {
    const int height = TopHeight();
    // The sections draw in the viewport, which starts below the widget.
    setViewportMargins(0, height, 0, 0);
    if (m_top && height > 0)
        m_top->setGeometry(0, 0, width(), height);
}

void ListHeader::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    PlaceTop();
}

}  // namespace quorvel
