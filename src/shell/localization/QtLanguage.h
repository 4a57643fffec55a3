#pragma once

#include <QLocale>
#include <QString>

namespace quorvel {

// Qt's own texts (standard buttons, file dialogs, "Show Details...") and the form of numbers
// follow the language the program's windows were given.

// The locale of a language of the translation file: by its tag ("de", "pt-BR") when it has
// one, else by its name in English or in itself ("German", "Deutsch"); unset (C) when neither
// names a language Qt knows.
QLocale LocaleOfLanguage(const QString& tag, const QString& name);

// Makes the locale of the language the store applied last the default one (numbers, sizes,
// dates) and loads Qt's translation for it from Qt's translation folder. A language Qt has no
// file for, or a system without Qt's translations, keeps Qt's texts in English; a language
// that names no locale changes nothing.
void ApplyQtLanguage();

}  // namespace quorvel
