#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QMessageBox;

namespace quorvel {

// Text from outside (channel names, addresses, types, server reasons, stream titles, file
// names, translations) reaches the screen only through these. Qt reads a tooltip, a label or
// a message box as markup whenever the text looks like some, and its document then loads
// any file an <img> names (a FIFO blocks the window for good, /dev/zero ends the program) and
// lays out nested tables for minutes. Each place also gets a length it lays out at once.

// The most characters of the text that a tooltip shows.
inline constexpr int kToolTipChars = 160;
// The most characters of a label, a message or a caption.
inline constexpr int kPlainTextChars = 2000;
// The most characters of a window title or a list item of a combo box.
inline constexpr int kTitleChars = 250;

// The text cut to `maxChars` characters, the last of them an ellipsis; never splits a
// surrogate pair.
QString CappedText(const QString& text, int maxChars = kPlainTextChars);

// How a tooltip lays out its text: a name or a title on one line, a sentence or two wrapped.
enum class ToolTipLines { One, Wrapped };

// The most characters of a wrapped tooltip.
inline constexpr int kWrappedToolTipChars = 500;

// A tooltip that shows the text exactly as it is: escaped, capped, its white space runs made
// one space. Empty text gives an empty tooltip.
QString PlainToolTip(const QString& text, ToolTipLines lines = ToolTipLines::One);

// Makes the box a drop-down with an edit field where only a choice from the list acts
// (`activated`): Qt would also choose the entry that typed text names (any letter case, or
// completed) when the edit ends.
void MakeListChoiceCombo(QComboBox& combo);

// Adds an entry to a combo box that shows the text capped and keeps it whole.
void AddCappedItem(QComboBox& combo, const QString& text);
// What the user chose in a combo box filled so: the whole text of the entry the box shows, or
// the text typed in.
QString ChosenText(const QComboBox& combo);

// Sets the label to show the text as it is, capped.
void SetPlainText(QLabel& label, const QString& text);

// Sets a message box's title, text and informative text, all shown as they are and capped.
// Make the box without a text: given one, it has already read it as markup.
void SetPlainMessage(QMessageBox& box, const QString& title, const QString& text,
                     const QString& informativeText = {});

}  // namespace quorvel
