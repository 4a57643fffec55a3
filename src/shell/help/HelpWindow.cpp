#include "shell/help/HelpWindow.h"

#include "shell/help/GuideBrowser.h"
#include "shell/widgets/PlainText.h"
#include "shell/widgets/ProgramTranslator.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace quorvel {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser = new GuideBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtGuide"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    new QShortcut(QKeySequence::Close, this, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    KeepTranslated(this, [this] {
        setWindowTitle(CappedText(tr("%1 User Guide").arg(QApplication::applicationDisplayName()),
                                  kTitleChars));
    });

    QSize size(760, 680);
    if (const QScreen* screen = QApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void HelpWindow::ShowGuide(const std::filesystem::path& file) {
    QString error;
    if (!m_browser->LoadGuide(file, error)) {
        // The reason names a file: plain text.
        m_browser->setPlainText(
            CappedText(tr("The user guide could not be read.") + QLatin1Char('\n') + error));
    }
}

HelpWindow* ShowUserGuide(const std::filesystem::path& file) {
    static QPointer<HelpWindow> window;
    if (!window)
        window = new HelpWindow;
    window->ShowGuide(file);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace quorvel
