#include "shell/widgets/PlainToolTip.h"

namespace quorvel {

QString PlainToolTip(const QString& text) {
    // Line breaks and tabs from a server would only break the one line up.
    QString line = text.simplified();
    if (line.isEmpty())
        return {};
    if (line.size() > kToolTipChars) {
        qsizetype cut = kToolTipChars - 1;
        if (line.at(cut).isLowSurrogate())
            --cut;
        line = line.left(cut) + QChar(0x2026);
    }
    // Marked up always, so the text never decides how it is read; "pre" keeps it on one line.
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(line.toHtmlEscaped());
}

}  // namespace quorvel
