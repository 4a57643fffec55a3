#pragma once

#include <QHeaderView>
#include <QPointer>

namespace quorvel {

// The column header of a list view, which can carry a widget above its sections (a search
// box): the list keeps its place and size in the window, and the rows start below both.
class ListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit ListHeader(QWidget* parent = nullptr);

    // The widget shown above the sections (made a child of the header); null for none.
    void SetTopWidget(QWidget* widget);
    QWidget* TopWidget() const { return m_top; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int TopHeight() const;
    void PlaceTop();

    QPointer<QWidget> m_top;
};

}  // namespace quorvel
