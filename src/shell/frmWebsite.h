#pragma once

#include "shell/forms/Form.h"

class QTimer;

namespace quorvel {

// An invisible window that opens the page WebPageSelector names in the default browser and
// unloads itself a second later. While it is loaded, further requests open nothing.
class frmWebsite : public Form {
    Q_OBJECT
public:
    explicit frmWebsite(QWidget* parent = nullptr);

    void Form_Load();
    void Timer1_Timer();

    QTimer* Timer1 = nullptr;

    // The load request of the web buttons: loads the window and runs its load, unless it is
    // loaded already. Returns the window.
    static frmWebsite* Open();
};

}  // namespace quorvel
