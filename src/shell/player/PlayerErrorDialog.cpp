#include "shell/player/PlayerErrorDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include "shell/widgets/PlainText.h"

namespace quorvel {
namespace {

constexpr int kAddressColumns = 120;
constexpr int kReasonColumns = 160;
constexpr int kReasonLines = 12;
// Even the details stay small enough to lay out at once.
constexpr qsizetype kDetailsLimit = 64 * 1024;
const QChar kEllipsis(0x2026);

QString ElideLine(QStringView line, int maxColumns) {
    if (line.size() <= maxColumns)
        return line.toString();
    // The middle goes: the start names the server, the end the file.
    const int head = (maxColumns - 1) * 2 / 3;
    const int tail = maxColumns - 1 - head;
    return line.left(head).toString() + kEllipsis + line.right(tail).toString();
}

}  // namespace

QString PlayerErrorDialog::Message(const QString& address) {
    return QApplication::translate("MediaPlayer", "Cannot play \"%1\".").arg(address);
}

QString PlayerErrorDialog::Elide(const QString& text, int maxColumns, int maxLines) {
    QStringList lines;
    qsizetype start = 0;
    while (start <= text.size() && lines.size() <= maxLines) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        lines << ElideLine(QStringView(text).mid(start, end - start), maxColumns);
        start = end + 1;
    }
    if (lines.size() > maxLines) {
        lines.resize(maxLines);
        lines << QString(kEllipsis);
    }
    return lines.join(QLatin1Char('\n'));
}

void PlayerErrorDialog::Present(const QString& address, const QString& reason) {
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                QString(), QMessageBox::Ok, m_parent);
        m_box->setObjectName(QStringLiteral("playerErrorDialog"));
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setModal(false);
        m_box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    const QString oneLineAddress = QString(address).replace(QLatin1Char('\n'), QLatin1Char(' '));
    SetPlainMessage(*m_box, QApplication::applicationDisplayName(),
                    Message(Elide(oneLineAddress, kAddressColumns, 1)),
                    Elide(reason, kReasonColumns, kReasonLines));
    const QString full = Message(address) + QLatin1Char('\n') + reason;
    m_box->setDetailedText(full.size() > kDetailsLimit ? full.left(kDetailsLimit) + kEllipsis
                                                       : full);
    m_box->show();
    m_box->raise();
}

}  // namespace quorvel
