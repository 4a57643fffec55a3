#pragma once

#include "shell/forms/Form.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace quorvel {

// The language window: lists the languages of "Localization.txt", applies the one picked to
// the main window and itself, fetches a newer "Localization.txt" and opens it for
// translating. One instance at a time (ShowLanguageWindow).
class frmLanguage : public Form {
    Q_OBJECT
public:
    frmLanguage();
    ~frmLanguage() override;

    void Form_Load();
    void FillLanguageList();

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QFrame* Line1 = nullptr;

Q_SIGNALS:
    // A download has been dealt with (kept, refused or failed); for tests and callers.
    void DownloadFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void Form_Unload() override;

private:
    void Combo1_Activated();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void DownloadArrived(const std::string& text, const std::string& problem);
    void StopDownload();

    std::thread m_download;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

// Loads the language window (or brings the loaded one forward) and shows it, modeless.
void ShowLanguageWindow();

// Whether this build shows the main window's Languages menu (tests may change it).
bool LanguagesMenuShown();
void SetLanguagesMenuShown(bool shown);

// Puts the language last picked in the language window on a window as it loads, so that
// the choice survives a restart. Only where the menu offers the choice, and not for English,
// which the windows are designed in.
void ApplyStoredLanguage(Form& form);

}  // namespace quorvel
