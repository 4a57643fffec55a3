#pragma once

class QWidget;

namespace quorvel {

// Answers the settings store's permission question with an Abort/Retry/Ignore message box
// over `parent` (may be null) for the rest of the program's life.
void InstallPermissionMessageBox(QWidget* parent);

}  // namespace quorvel
