#include "shell/forms/FormControl.h"

#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/Twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace quorvel {
namespace {

// A separator keeps its caption beside it: styles draw a separator that has a text as a
// row showing that text.
constexpr char kSeparatorCaption[] = "quorvelSeparatorCaption";

}  // namespace

FormControl::FormControl(QObject* object, QString typeName, int index, QObject* container)
    : m_object(object), m_typeName(std::move(typeName)), m_index(index), m_container(container) {}

QWidget* FormControl::Widget() const {
    return qobject_cast<QWidget*>(m_object.data());
}

QString FormControl::Name() const {
    return m_object ? m_object->objectName() : QString();
}

QString FormControl::Caption() const {
    QObject* object = m_object.data();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(object))
        return frame->title();
    if (auto* action = qobject_cast<QAction*>(object))
        return action->isSeparator() ? action->property(kSeparatorCaption).toString()
                                     : action->text();
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return combo->currentText();
    if (auto* text = qobject_cast<QPlainTextEdit*>(object))
        return text->toPlainText();
    return {};
}

void FormControl::SetCaption(const QString& caption) const {
    // Captions come from translation files anyone may hand out; what an edit holds is a value.
    QObject* object = m_object.data();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(CappedText(caption));
    else if (auto* label = qobject_cast<QLabel*>(object))
        SetPlainText(*label, caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(object))
        frame->setTitle(CappedText(caption));
    else if (auto* action = qobject_cast<QAction*>(object)) {
        if (action->isSeparator())
            action->setProperty(kSeparatorCaption, caption);
        else
            action->setText(CappedText(caption));
    } else if (auto* edit = qobject_cast<QLineEdit*>(object))
        edit->setText(caption);
    else if (auto* combo = qobject_cast<QComboBox*>(object))
        combo->setEditText(caption);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(object))
        text->setPlainText(caption);
}

int FormControl::ColumnCount() const {
    auto* list = qobject_cast<ListView*>(m_object.data());
    return list ? static_cast<int>(list->Rows().Columns().size()) : 0;
}

QString FormControl::ColumnText(int column) const {
    if (column < 1 || column > ColumnCount())
        return {};
    const auto& columns = qobject_cast<ListView*>(m_object.data())->Rows().Columns();
    return QString::fromStdString(columns[static_cast<std::size_t>(column - 1)].text);
}

void FormControl::SetColumnText(int column, const QString& text) const {
    if (column < 1 || column > ColumnCount())
        return;
    qobject_cast<ListView*>(m_object.data())->Rows().SetColumnText(column, text.toStdString());
}

QFont FormControl::Font() const {
    if (QWidget* widget = Widget())
        return widget->font();
    if (auto* action = qobject_cast<QAction*>(m_object.data()))
        return action->font();
    return {};
}

void FormControl::SetFont(const QFont& font) const {
    if (QWidget* widget = Widget())
        widget->setFont(font);
    else if (auto* action = qobject_cast<QAction*>(m_object.data()))
        action->setFont(font);
}

bool FormControl::Visible() const {
    // Visible as designed, whether or not the window itself is shown yet.
    if (QWidget* widget = Widget())
        return !widget->isHidden();
    if (auto* action = qobject_cast<QAction*>(m_object.data()))
        return action->isVisible();
    return false;
}

void FormControl::SetVisible(bool visible) const {
    if (QWidget* widget = Widget())
        widget->setVisible(visible);
    else if (auto* action = qobject_cast<QAction*>(m_object.data()))
        action->setVisible(visible);
}

namespace {

constexpr char kTwipsProperty[] = "quorvelTwips";

// The twips last given to the widget, as long as its pixels still show them; otherwise
// (moved by other means) its pixels in twips.
QRect TwipsOf(const QWidget* widget) {
    const QRect pixels = widget->geometry();
    const QVariant stored = widget->property(kTwipsProperty);
    if (stored.isValid()) {
        const QRect twips = stored.toRect();
        if (QRect(TwipsToPixels(twips.x()), TwipsToPixels(twips.y()), TwipsToPixels(twips.width()),
                  TwipsToPixels(twips.height())) == pixels)
            return twips;
    }
    return {PixelsToTwips(pixels.x()), PixelsToTwips(pixels.y()), PixelsToTwips(pixels.width()),
            PixelsToTwips(pixels.height())};
}

}  // namespace

int FormControl::Left() const {
    QWidget* widget = Widget();
    return widget ? TwipsOf(widget).x() : 0;
}

int FormControl::Top() const {
    QWidget* widget = Widget();
    return widget ? TwipsOf(widget).y() : 0;
}

int FormControl::Width() const {
    QWidget* widget = Widget();
    return widget ? TwipsOf(widget).width() : 0;
}

int FormControl::Height() const {
    QWidget* widget = Widget();
    return widget ? TwipsOf(widget).height() : 0;
}

void FormControl::Move(int left, int top, int width, int height) const {
    if (QWidget* widget = Widget())
        SetTwipsGeometry(widget, left, top, width, height);
}

void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height) {
    // Kept exactly, so that arithmetic on positions reads back what it wrote.
    widget->setProperty(kTwipsProperty, QRect(left, top, width, height));
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

}  // namespace quorvel
