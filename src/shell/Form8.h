#pragma once

#include "shell/forms/Form.h"

#include <filesystem>

namespace quorvel {

enum class HelpRequest {
    FirstStart,  // the main window's first start: Help.chm only
    ViewHelp,    // the Help menu: Help.chm, or the user guide in its window when there is none
};

// The help prompt: an invisible window that opens "Help.chm" of the application folder with
// the desktop's handler and then notes machine-wide that the help has been shown.
class Form8 : public Form {
    Q_OBJECT
public:
    explicit Form8(QWidget* parent = nullptr);

    void Form_Load(HelpRequest request);
};

// Load Form8, show it, let pending window events run once, unload it.
void ShowHelpPrompt(HelpRequest request);

// The HTML user guide beside the program ("Help.html"), shown when there is no Help.chm.
inline constexpr const char* kUserGuideFileName = "Help.html";

}  // namespace quorvel
