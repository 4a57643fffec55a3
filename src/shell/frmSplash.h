#pragma once

#include "shell/ApplicationMessage.h"
#include "shell/forms/Form.h"

#include <cstdint>
#include <functional>

class QLabel;
class QTimer;
class QWidget;

namespace quorvel {

// The first window: prepares the branding values, shows the splash picture for about a
// second and then hands over to the main window. It stays loaded, hidden, until the main
// window's shutdown unloads it.
class frmSplash : public Form {
    Q_OBJECT
public:
    // Loads the main window (its start-up runs) and returns it to be shown, or null when
    // the application is to end instead (another instance runs).
    using MainWindowLoader = std::function<QWidget*()>;

    explicit frmSplash(MainWindowLoader loadMainWindow, QWidget* parent = nullptr);

    // Runs the load steps and starts the hand-over; shows the window unless the machine-wide
    // "chkSplash" is "1".
    void Form_Load();
    // At the hand-over, settings files that were read as defaults are told over the main window.
    void Timer2_Timer();
    void SetMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    QLabel* Image1 = nullptr;
    QLabel* Label3 = nullptr;
    QWidget* skn = nullptr;
    QTimer* Timer2 = nullptr;

    std::int16_t intTemp = 0;

Q_SIGNALS:
    // The main window has been loaded and shown (or the loader gave none).
    void HandedOver(QWidget* mainWindow);

private:
    MainWindowLoader m_loadMainWindow;
    MessagePresenter m_presenter = ShowApplicationMessage;
};

}  // namespace quorvel
