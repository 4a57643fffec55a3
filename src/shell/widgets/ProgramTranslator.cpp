#include "shell/widgets/ProgramTranslator.h"

#include "localization/ProgramTexts.h"
#include "localization/clsLanguages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTranslator>

namespace quorvel {
namespace {

// Answers tr() for the program texts from the translation store; other texts (Qt's own)
// stay as they are.
class StoreTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char*, const char* sourceText, const char* = nullptr,
                      int = -1) const override {
        // The store belongs to the GUI thread; elsewhere texts stay as they are.
        if (!sourceText || QThread::currentThread() != thread())
            return {};
        const std::string_view key = ProgramTextKey(sourceText);
        if (key.empty())
            return {};
        return QString::fromStdString(gLanguages.getMessages(key));
    }
};

LanguageNotifier* Notifier() {
    static QPointer<LanguageNotifier> notifier;
    if (!notifier)
        notifier = new LanguageNotifier(QCoreApplication::instance());
    return notifier;
}

}  // namespace

void KeepTranslated(QObject* owner, std::function<void()> apply) {
    apply();
    QObject::connect(Notifier(), &LanguageNotifier::Applied, owner, std::move(apply));
}

void AnnounceLanguageApplied() {
    static QPointer<StoreTranslator> translator;
    if (!translator) {
        translator = new StoreTranslator(QCoreApplication::instance());
        QCoreApplication::installTranslator(translator);
    }
    Q_EMIT Notifier()->Applied();
}

}  // namespace quorvel
