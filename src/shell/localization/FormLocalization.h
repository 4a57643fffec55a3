#pragma once

#include <QString>

namespace quorvel {

class Form;

// The shared translation store over the form model: the windows' controls are translated
// by their classic type names, and the generator walks the loaded windows.

void ChangeLanguage(Form& form, const QString& language);
void ChangeLanguageMDI(Form& form, const QString& language);

// Writes "Localization.xml" from every loaded window and the registered messages.
bool MakeLocalizationFile();

}  // namespace quorvel
