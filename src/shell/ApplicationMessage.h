#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quorvel {

// How a window reports a failure to the user. Windows hold one of these so that tests can
// collect the messages instead of blocking on a dialog.
using MessagePresenter = std::function<void(QWidget* parent, const QString& text)>;

// The program's message box: the text, an OK button, the application's title as caption.
void ShowApplicationMessage(QWidget* parent, const QString& text);

}  // namespace quorvel
