// Categories, languages, panels and the web buttons of the main window.
#include "shell/Form1.h"

#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/ChannelList.h"
#include "settings/SettingsStore.h"
#include "shell/WebPageSelector.h"
#include "shell/frmWebsite.h"
#include "shell/player/FileListBox.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSignalBlocker>

namespace quorvel {
namespace {

constexpr char kDefaultLanguage[] = "English";

const std::string& AppName() {
    return Branding().ProgramName;
}

}  // namespace

bool Form1::LoadChannelList() {
    ComboBoxState combo;
    const bool rebuild = State.RefreshLanguageList;
    const bool loaded = quorvel::LoadChannelList(
        ProgramFileToRead("Data.txt"), State, ListView1->Rows(), combo,
        [this](const std::string& message) { Message(QString::fromStdString(message)); });
    // The reader clears the flag only when it has rebuilt the list.
    if (rebuild && !State.RefreshLanguageList) {
        const QSignalBlocker blocker(Combo1);
        Combo1->clear();
        for (const std::string& item : combo.items)
            AddCappedItem(*Combo1, QString::fromStdString(item));
        // The text the reader chose, as it chose it; an entry is selected only when it is
        // exactly that text. The reader leaves the text empty for "All", which is no language
        // of the catalogue, yet every channel is listed then: the box says so.
        QString text = QString::fromStdString(combo.text);
        if (text.isEmpty() && !combo.items.empty() && State.CurrentLanguage == combo.items.front())
            text = QString::fromStdString(combo.items.front());
        Combo1->setCurrentIndex(text.isEmpty() ? -1 : Combo1->findData(text));
        Combo1->setEditText(text);
    }
    return loaded;
}

void Form1::ShowPanel(QGroupBox* panel) {
    for (QGroupBox* frame : {Frame1, Frame3, Frame4})
        frame->setVisible(frame == panel);
}

void Form1::CategoryAction(const char* category, const char* settingsKey) {
    ShowPanel(Frame1);
    State.CurrentCategory = category;
    ListView1->Rows().Clear();
    State.CurrentLanguage = GetSetting(AppName(), kForm1Section, settingsKey, kDefaultLanguage);
    State.RefreshLanguageList = true;
    LoadChannelList();
}

void Form1::cmdTV_Click() {
    CategoryAction("TV", "TVLang");
}

void Form1::cmdRadio_Click() {
    CategoryAction("Radio", "RadioLang");
}

void Form1::cmdVideo_Click() {
    CategoryAction("Video", "VideoLang");
}

void Form1::cmdXXX_Click() {
    // Starts with the video language; a language chosen here is not stored.
    CategoryAction("XXX", "VideoLang");
}

void Form1::cmdFavorites_Click() {
    ShowPanel(Frame3);
}

void Form1::cmdFiles_Click() {
    ShowPanel(Frame4);
    // A recording made since the list was filled shows at once.
    File1->refresh();
}

void Form1::Combo1_Click() {
    if (Combo1Override) {
        Combo1Override();
        return;
    }
    State.CurrentLanguage = ChosenText(*Combo1).toStdString();
    const char* key = State.CurrentCategory == "TV"      ? "TVLang"
                      : State.CurrentCategory == "Radio" ? "RadioLang"
                      : State.CurrentCategory == "Video" ? "VideoLang"
                                                         : nullptr;
    if (key)
        SaveSetting(AppName(), kForm1Section, key, State.CurrentLanguage);
    LoadChannelList();
}

void Form1::mnuCatItem_Click(int index) {
    switch (index) {
        case 0:
            cmdTV_Click();
            break;
        case 1:
            cmdRadio_Click();
            break;
        case 2:
            cmdVideo_Click();
            break;
        case 3:
            cmdFavorites_Click();
            break;
        case 4:
            cmdFiles_Click();
            break;
        default:
            break;
    }
}

void Form1::OpenWebPage(const char* selector) {
    WebPageSelector() = selector;
    frmWebsite::Open();
}

void Form1::cmdWebsite_Click() {
    OpenWebPage("Website");
}

void Form1::cmdSports_Click() {
    OpenWebPage("Sports");
}

void Form1::cmdExtras_Click() {
    OpenWebPage("Extras");
}

}  // namespace quorvel
