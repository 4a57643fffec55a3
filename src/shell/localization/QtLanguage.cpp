#include "shell/localization/QtLanguage.h"

#include "localization/clsLanguages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace quorvel {

QLocale LocaleOfLanguage(const QString& tag, const QString& name) {
    if (!tag.isEmpty()) {
        const QLocale locale(tag);
        if (locale.language() != QLocale::C)
            return locale;
    }
    const QString wanted = name.trimmed();
    if (!wanted.isEmpty()) {
        for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
            const auto language = static_cast<QLocale::Language>(value);
            if (QLocale::languageToString(language).compare(wanted, Qt::CaseInsensitive) == 0)
                return QLocale(language);
            const QLocale locale(language);
            if (locale.language() == language &&
                locale.nativeLanguageName().compare(wanted, Qt::CaseInsensitive) == 0) {
                return locale;
            }
        }
    }
    return QLocale::c();
}

void ApplyQtLanguage() {
    // Each window applies the language as it opens: look the language up only when it changed.
    static QString appliedTag;
    static QString appliedName;
    static bool applied = false;
    const QString tag = QString::fromStdString(gLanguages.LanguageTag());
    const QString name = QString::fromStdString(gLanguageName);
    if (applied && tag == appliedTag && name == appliedName)
        return;
    applied = true;
    appliedTag = tag;
    appliedName = name;

    const QLocale locale = LocaleOfLanguage(tag, name);
    if (locale.language() == QLocale::C)
        return;
    QLocale::setDefault(locale);

    static QPointer<QTranslator> translator;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    auto* next = new QTranslator(QCoreApplication::instance());
    // "qtbase_de_DE.qm", then "qtbase_de.qm"; none at all leaves Qt's English.
    if (next->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(next);
        translator = next;
    } else {
        delete next;
    }
}

}  // namespace quorvel
