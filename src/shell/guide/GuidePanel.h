#pragma once

#include <QObject>

#include <filesystem>

class QAction;

namespace quorvel {

class Form1;

// The programme guide in the main window: File > "Programme Guide...".
class GuidePanel : public QObject {
    Q_OBJECT
public:
    explicit GuidePanel(Form1* form);

    QAction* mnuGuide = nullptr;

    void mnuGuide_Click();

Q_SIGNALS:
    // The Programme Guide window closed: its guides may have changed.
    void GuidesChanged();

private:
    void RetranslateUi();

    Form1* m_form;
    std::filesystem::path m_storePath;
};

}  // namespace quorvel
