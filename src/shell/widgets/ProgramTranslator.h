#pragma once

#include <QObject>

#include <functional>

namespace quorvel {

// The program's own texts (those tr() is given and the translation store registers) in the
// language applied last. Texts read when shown follow a new language at once; texts set
// once keep up through KeepTranslated.

// Tells that a language has been applied.
class LanguageNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
Q_SIGNALS:
    void Applied();
};

// Sets the texts now and again each time a language has been applied, while `owner` lives.
void KeepTranslated(QObject* owner, std::function<void()> apply);

// A language has been applied to the store: tr() answers from it from now on, and every
// text kept by KeepTranslated is set again.
void AnnounceLanguageApplied();

}  // namespace quorvel
