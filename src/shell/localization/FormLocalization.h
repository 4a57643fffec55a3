#pragma once

#include <QString>

class QWidget;

namespace quorvel {

class Form;

// The shared translation store over the form model: the windows' controls are translated
// by their classic type names, and the generator walks the loaded windows.

void ChangeLanguage(Form& form, const QString& language);
void ChangeLanguageMDI(Form& form, const QString& language);

// Writes "Localization.xml" from every loaded window and the registered messages.
bool MakeLocalizationFile();

// Shrinks a button's or label's font (down to a floor) until its caption fits the width it
// was designed with, and back to the design font once it fits again; the whole caption
// stays readable in the tooltip while it is shrunk.
void FitCaptionToWidth(QWidget* widget);

}  // namespace quorvel
