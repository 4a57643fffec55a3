#pragma once

#include <QString>

namespace quorvel {

// A tooltip that shows text from outside (a stream's title, an address) exactly as it is:
// Qt renders a tooltip as markup whenever it looks like some, and a title such as
// "<img src=/etc/passwd>" would load a file. The text goes in escaped, on one line, cut to
// a length that fits on a screen. Empty text gives an empty tooltip.
QString PlainToolTip(const QString& text);

// The most characters of the text that a tooltip shows.
inline constexpr int kToolTipChars = 160;

}  // namespace quorvel
