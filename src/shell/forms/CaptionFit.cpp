#include "shell/forms/CaptionFit.h"

#include "shell/widgets/PlainText.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>
#include <QVariant>

namespace quorvel {
namespace {

constexpr char kDesignFont[] = "quorvelDesignFont";
constexpr char kFitTip[] = "quorvelFitTip";
constexpr char kOwnFont[] = "quorvelOwnFont";
constexpr qreal kSmallestPointSize = 6.0;

QString PlainCaption(const QAbstractButton* button, const QLabel* label) {
    QString caption = button ? button->text() : label->text();
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return caption;
}

// Whether the caption is wider than the room the control leaves for its text (or, wrapped,
// taller). Measured on the text itself: a push button's size hint has a minimum width of
// its own.
bool CaptionOverflows(QWidget* widget, const QAbstractButton* button, const QLabel* label) {
    if (label && label->wordWrap()) {
        const QRect room = label->contentsRect();
        return widget->fontMetrics()
                   .boundingRect(room, Qt::TextWordWrap, PlainCaption(button, label))
                   .height() > room.height();
    }
    const QStyle* style = widget->style();
    int room = widget->contentsRect().width();
    if (qobject_cast<const QPushButton*>(widget)) {
        room -= 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget) +
                     style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget));
    } else if (auto* tool = qobject_cast<const QToolButton*>(widget)) {
        room -= 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
        if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !tool->icon().isNull())
            room -= tool->iconSize().width() + 4;
    } else if (button) {
        room -= style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    }
    return widget->fontMetrics().horizontalAdvance(PlainCaption(button, label)) > room;
}

}  // namespace

void FitCaptionToWidth(QWidget* widget) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    auto* label = qobject_cast<QLabel*>(widget);
    if (!button && !label)
        return;
    // Back to the design font first, so a shorter caption gets its full size again.
    const QVariant design = widget->property(kDesignFont);
    if (design.isValid()) {
        widget->setFont(design.value<QFont>());
        if (!widget->property(kOwnFont).toBool())
            widget->setAttribute(Qt::WA_SetFont, false);
        widget->setProperty(kDesignFont, QVariant());
    }
    if (widget->property(kFitTip).toBool()) {
        widget->setToolTip({});
        widget->setProperty(kFitTip, QVariant());
    }
    QFont font = widget->font();
    if (widget->width() <= 0 || widget->height() <= 0 || font.pointSizeF() <= 0 ||
        !CaptionOverflows(widget, button, label))
        return;

    widget->setProperty(kDesignFont, font);
    widget->setProperty(kOwnFont, widget->testAttribute(Qt::WA_SetFont));
    while (CaptionOverflows(widget, button, label) &&
           font.pointSizeF() - 0.5 >= kSmallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        widget->setFont(font);
    }
    if (widget->toolTip().isEmpty()) {
        widget->setToolTip(PlainToolTip(PlainCaption(button, label)));
        widget->setProperty(kFitTip, true);
    }
}

}  // namespace quorvel
