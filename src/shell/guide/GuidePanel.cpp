#include "shell/guide/GuidePanel.h"

#include <QAction>
#include <QMenu>

#include "guide/GuideStore.h"
#include "shell/Form1.h"
#include "shell/guide/GuideDialog.h"
#include "shell/widgets/ProgramTranslator.h"

namespace quorvel {

GuidePanel::GuidePanel(Form1* form)
    : QObject(form), m_form(form), m_storePath(guide::DefaultGuideStorePath()) {
    mnuGuide = new QAction(this);
    mnuGuide->setObjectName(QStringLiteral("mnuGuide"));
    // Beside the playlists, which bring most guides with them.
    QAction* after = nullptr;
    const QList<QAction*> actions = form->mnuFile->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->objectName() == QLatin1String("mnuPlaylists"))
            after = actions.value(i + 1);
    }
    form->mnuFile->insertAction(after ? after : actions.value(0), mnuGuide);
    connect(mnuGuide, &QAction::triggered, this, &GuidePanel::mnuGuide_Click);
    KeepTranslated(this, [this] { RetranslateUi(); });
}

void GuidePanel::RetranslateUi() {
    mnuGuide->setText(tr("Programme Guide..."));
}

void GuidePanel::mnuGuide_Click() {
    GuideDialog dialog(m_storePath, m_form);
    dialog.exec();
    Q_EMIT GuidesChanged();
}

}  // namespace quorvel
