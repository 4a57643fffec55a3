#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace quorvel {

// Shows why an address could not be played. Receives the address as the user gave it and
// the reason the engine told.
using PlayerErrorPresenter = std::function<void(const QString& address, const QString& reason)>;

// What the user is told of a failure: the channel as the user knows it, and for the
// details the address, how long the player waited and the engine's own words.
struct PlayerFailure {
    QString channel;
    QString address;
    QString reason;
    qint64 waitedMs = 0;
};

// The player's own error box: not modal, so a failing stream never stops the window; a
// later failure replaces the text of a box still open instead of stacking boxes. Addresses
// and reasons come from outside: they are shown as plain text and cut to a readable
// length, and the whole text is in the box's details, where it can be copied.
class PlayerErrorDialog {
public:
    explicit PlayerErrorDialog(QWidget* parent) : m_parent(parent) {}

    void Present(const PlayerFailure& failure);
    QMessageBox* Box() const { return m_box; }

    static QString Message(const QString& name);
    // The reason in one sentence of the program's own, where the engine's words are known;
    // otherwise the reason's first line.
    static QString Summary(const QString& reason);
    // What the details add to the message: the address, the server's HTTP status, the time
    // waited and the engine's words, where each tells something.
    static QString Details(const PlayerFailure& failure);
    // At most `maxLines` lines of at most `maxColumns` characters each; what is cut away is
    // marked with an ellipsis.
    static QString Elide(const QString& text, int maxColumns, int maxLines);

private:
    QWidget* m_parent = nullptr;
    QPointer<QMessageBox> m_box;
};

}  // namespace quorvel
