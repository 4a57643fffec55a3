#pragma once

class QWidget;

namespace quorvel {

// Shrinks a button's or label's font (down to a floor) until its caption fits the width it
// has, and back to the design font once it fits again; the whole caption stays readable in
// the tooltip while it is shrunk. Windows are designed in twips for a narrower font than
// desktops use, and translations run longer than the English they replace.
void FitCaptionToWidth(QWidget* widget);

}  // namespace quorvel
