#include "shell/player/PlayerErrorDialog.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
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

QString Tr(const char* text) {
    return QApplication::translate("MediaPlayer", text);
}

// The network library counts the milliseconds of a refused connection ("after 0 ms"),
// which tells the user nothing; the time waited is given on a line of its own.
QString WithoutMilliseconds(QString reason) {
    static const QRegularExpression kAfter(QStringLiteral(" after [0-9]+ ms"));
    return reason.remove(kAfter);
}

QString HttpStatus(const QString& reason) {
    static const QRegularExpression kStatus(QStringLiteral("HTTP error ([1-5][0-9][0-9][^\\n]*)"));
    const QRegularExpressionMatch match = kStatus.match(reason);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

}  // namespace

QString PlayerErrorDialog::Message(const QString& name) {
    return Tr("Cannot play \"%1\".").arg(name);
}

QString PlayerErrorDialog::Summary(const QString& reason) {
    const QString first = WithoutMilliseconds(reason.section(QLatin1Char('\n'), 0, 0)).trimmed();
    const auto has = [&](const char* words) {
        return first.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    if (const QString status = HttpStatus(first); !status.isEmpty())
        return Tr("The server answered with error %1.").arg(status);
    if (has("Connection refused") || has("Couldn't connect") || has("Failed to connect"))
        return Tr("The server refused the connection.");
    if (has("Failed to resolve") || has("not known") || has("Could not resolve"))
        return Tr("The server's name could not be found.");
    if (has("timed out") || has("Timeout") || has("No answer within"))
        return Tr("The server did not answer in time.");
    if (has("recognize file format") || has("Nothing in it could be played"))
        return Tr("What the address sends is nothing the player can play.");
    return first;
}

QString PlayerErrorDialog::Details(const PlayerFailure& failure) {
    QStringList lines;
    // Whole, where the message names the channel or shows the address cut short.
    lines << Tr("Address: %1").arg(failure.address);
    if (const QString status = HttpStatus(failure.reason); !status.isEmpty())
        lines << Tr("HTTP status: %1").arg(status);
    // A wait of less than a second is an answer, not a wait.
    if (failure.waitedMs >= 1000) {
        lines << Tr("Waited %1 s")
                     .arg(QLocale().toString(static_cast<double>(failure.waitedMs) / 1000.0, 'f',
                                             1));
    }
    const QString reason = WithoutMilliseconds(failure.reason).trimmed();
    // The engine's words, unless the message already says just that.
    if (!reason.isEmpty() && reason != Summary(failure.reason))
        lines << Tr("The media engine said:") << reason;
    return lines.join(QLatin1Char('\n'));
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

void PlayerErrorDialog::Present(const PlayerFailure& failure) {
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                QString(), QMessageBox::Ok, m_parent);
        m_box->setObjectName(QStringLiteral("playerErrorDialog"));
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setModal(false);
        m_box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // The channel as the user knows it; an address only where no name is known.
    const QString name = failure.channel.isEmpty() ? failure.address : failure.channel;
    const QString oneLineName = QString(name).replace(QLatin1Char('\n'), QLatin1Char(' '));
    SetPlainMessage(*m_box, QApplication::applicationDisplayName(),
                    Message(Elide(oneLineName, kAddressColumns, 1)),
                    Elide(Summary(failure.reason), kReasonColumns, kReasonLines));
    const QString full = Details(failure);
    m_box->setDetailedText(full.size() > kDetailsLimit ? full.left(kDetailsLimit) + kEllipsis
                                                       : full);
    // Nothing more to tell: no button that would only repeat the message.
    if (full.isEmpty())
        m_box->setDetailedText(QString());
    m_box->show();
    m_box->raise();
}

}  // namespace quorvel
