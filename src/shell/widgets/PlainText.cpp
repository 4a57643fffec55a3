#include "shell/widgets/PlainText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace quorvel {
namespace {

const QChar kEllipsis(0x2026);

}  // namespace

QString CappedText(const QString& text, int maxChars) {
    if (text.size() <= maxChars)
        return text;
    qsizetype cut = maxChars - 1;
    if (cut > 0 && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut) + kEllipsis;
}

QString PlainToolTip(const QString& text, ToolTipLines lines) {
    const int maxChars = lines == ToolTipLines::One ? kToolTipChars : kWrappedToolTipChars;
    // Runs of white space made one space (line breaks and tabs from a server would only break
    // it up); only as much of a huge name as the tooltip shows is looked at.
    QString line;
    line.reserve(maxChars + 1);
    bool space = false;
    for (const QChar c : text) {
        if (c.isSpace()) {
            space = !line.isEmpty();
            continue;
        }
        if (space)
            line += QLatin1Char(' ');
        space = false;
        line += c;
        if (line.size() > maxChars)
            break;
    }
    if (line.isEmpty())
        return {};
    // Marked up always, so the text never decides how it is read; "pre" keeps it on one line.
    const QString paragraph = lines == ToolTipLines::One
                                  ? QStringLiteral("<p style='white-space:pre'>%1</p>")
                                  : QStringLiteral("<p>%1</p>");
    return paragraph.arg(CappedText(line, maxChars).toHtmlEscaped());
}

void AddCappedItem(QComboBox& combo, const QString& text) {
    combo.addItem(CappedText(text, kTitleChars), text);
}

void MakeListChoiceCombo(QComboBox& combo) {
    combo.setEditable(true);
    combo.setInsertPolicy(QComboBox::NoInsert);
    QObject::disconnect(combo.lineEdit(), &QLineEdit::editingFinished, &combo, nullptr);
}

QString ChosenText(const QComboBox& combo) {
    const int index = combo.currentIndex();
    const QString shown = combo.currentText();
    return index >= 0 && shown == combo.itemText(index) ? combo.itemData(index).toString() : shown;
}

void SetPlainText(QLabel& label, const QString& text) {
    label.setTextFormat(Qt::PlainText);
    label.setText(CappedText(text));
}

void SetPlainMessage(QMessageBox& box, const QString& title, const QString& text,
                     const QString& informativeText) {
    box.setWindowTitle(CappedText(title, kTitleChars));
    box.setTextFormat(Qt::PlainText);
    box.setText(CappedText(text));
    if (informativeText.isEmpty()) {
        box.setInformativeText({});
    } else {
        // The box makes its informative label with the first such text, with no format of
        // its own to set through the box: made with a blank, set plain, then given the text.
        box.setInformativeText(QStringLiteral(" "));
    }
    // The box opens links of its own accord, which a text shown as it is has none of.
    for (auto* label : box.findChildren<QLabel*>()) {
        const QString name = label->objectName();
        if (name == QLatin1String("qt_msgbox_label") ||
            name == QLatin1String("qt_msgbox_informativelabel")) {
            label->setTextFormat(Qt::PlainText);
            label->setOpenExternalLinks(false);
        }
    }
    if (!informativeText.isEmpty())
        box.setInformativeText(CappedText(informativeText));
}

}  // namespace quorvel
