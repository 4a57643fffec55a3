#include "shell/localization/frmLanguage.h"

#include "appearance/FileExists.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "files/TextCase.h"
#include "localization/LanguageFiles.h"
#include "localization/LocalizationFormat.h"
#include "localization/clsLanguages.h"
#include "net/FetchUrlText.h"
#include "settings/SettingsStore.h"
#include "shell/localization/FormLocalization.h"
#include "shell/skin/modSkin.h"
#include "shell/widgets/PlainText.h"
#include "threads/ThreadEdge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace quorvel {
namespace {

const QString kChooseLanguage = QStringLiteral("Choose Language Here");
// A file of a few hundred kilobytes; a server trickling it for longer is given up on.
constexpr long kLanguageDownloadDeadlineMs = 60 * 1000;

std::string SettingsApp() {
    return CurrentVersionInfo().productName;
}

QString Message(std::string_view key) {
    return QString::fromStdString(gLanguages.getMessages(key));
}

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    auto* box = new QMessageBox(icon, QString(), QString(), QMessageBox::Ok, owner);
    SetPlainMessage(*box, QApplication::applicationName(), text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace

frmLanguage::frmLanguage() : Form(QStringLiteral("frmLanguage")) {
    setWindowTitle(QStringLiteral("Language Selection"));
    setFont(QFont(QStringLiteral("Verdana"), 8));
    QWidget* client = ClientArea();
    Label1 = AddControl(
        new QLabel(QStringLiteral("Please select the language you would like to use:"), client),
        "Label1", ControlType::SkinLabel);
    Combo1 = AddControl(new QComboBox(client), "Combo1", ControlType::ComboBox);
    MakeListChoiceCombo(*Combo1);
    Combo1->setEditText(kChooseLanguage);
    Command1 = AddControl(new QPushButton(QStringLiteral("Check for language updates"), client),
                          "Command1", ControlType::CommandButton);
    Command2 = AddControl(new QPushButton(QStringLiteral("OK"), client), "Command2",
                          ControlType::CommandButton);
    Command3 = AddControl(new QPushButton(QStringLiteral("Translate this program"), client),
                          "Command3", ControlType::CommandButton);
    Line1 = AddControl(new QFrame(client), "Line1", QStringLiteral("Line"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    SetTwipsGeometry(Label1, 240, 180, 5280, 285);
    SetTwipsGeometry(Combo1, 240, 540, 5280, 330);
    SetTwipsGeometry(Command1, 240, 1080, 2580, 420);
    SetTwipsGeometry(Command3, 2940, 1080, 2580, 420);
    SetTwipsGeometry(Line1, 240, 1680, 5280, 30);
    SetTwipsGeometry(Command2, 4200, 1860, 1320, 420);
    ResizeClient(5760, 2460);

    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Activated(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

frmLanguage::~frmLanguage() {
    StopDownload();
}

void frmLanguage::Form_Load() {
    ChangeLanguage(*this, QString::fromStdString(gLanguageName));
    setWindowTitle(CappedText(Message("MSG_TITLELANGUAGE"), kTitleChars));
    FillLanguageList();
    if (Branding().SkinEnabled)
        SkinForm(*this);
}

void frmLanguage::FillLanguageList() {
    Combo1->clear();
    const std::vector<std::string> names = LanguageNamesOfTxt();
    for (const std::string& name : names)
        AddCappedItem(*Combo1, QString::fromStdString(name));
    if (!names.empty())
        Combo1->setEditText(
            QString::fromStdString(GetSetting(SettingsApp(), "Settings", "Language", "English")));
}

void frmLanguage::Combo1_Activated() {
    const QString text = ChosenText(*Combo1);
    if (text == kChooseLanguage)
        return;
    SaveSetting(SettingsApp(), "Settings", "Language", text.toStdString());
    if (Form* main = Form::FindLoaded(QStringLiteral("Form1")))
        ChangeLanguage(*main, text);
    ChangeLanguage(*this, text);
    setWindowTitle(CappedText(Message("MSG_TITLELANGUAGE"), kTitleChars));
}

void frmLanguage::Command1_Click() {
    // One download at a time; the button comes back when it is over.
    if (m_download.joinable())
        return;
    Command1->setEnabled(false);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_download = std::thread([this, url = LanguageDownloadUrl(), cancel = m_cancel] {
        HttpRequest request = TextDownload(url);
        request.maxBytes = kMaxLocalizationFileBytes;
        request.cancel = cancel.get();
        request.deadlineMs = kLanguageDownloadDeadlineMs;
        const auto post = [this](std::string text, std::string problem) {
            QMetaObject::invokeMethod(
                this,
                [this, text = std::move(text), problem = std::move(problem)] {
                    DownloadArrived(text, problem);
                },
                Qt::QueuedConnection);
        };
        // A download that breaks off reads as one that brought nothing.
        RunAtThreadEdge(
            [&] {
                FetchedText fetched = FetchUrlText(request);
                // Other failures pass quietly, as a download that brought nothing does; a
                // server that trickled until the deadline is worth a word.
                post(std::move(fetched.text), fetched.tooSlow ? fetched.error : std::string());
            },
            [&](const std::string&) { post(std::string(), std::string()); });
    });
}

void frmLanguage::DownloadArrived(const std::string& text, const std::string& problem) {
    if (m_download.joinable())
        m_download.join();
    Command1->setEnabled(true);
    if (!problem.empty())
        ShowBox(this, QMessageBox::Warning, QString::fromStdString(problem));
    std::string error;
    switch (SaveDownloadedLanguages(text, error)) {
        case DownloadOutcome::NotLocalization:
            break;
        case DownloadOutcome::WriteFailed:
            // The old file is still whole; saying "downloaded" here would be untrue.
            ShowBox(this, QMessageBox::Warning, QString::fromStdString(error));
            break;
        case DownloadOutcome::Saved:
            FillLanguageList();
            ShowBox(this, QMessageBox::Information, Message("MSG_DOWNLOADED"));
            break;
    }
    Q_EMIT DownloadFinished();
}

void frmLanguage::StopDownload() {
    if (m_cancel)
        m_cancel->store(true);
    if (m_download.joinable())
        m_download.join();
}

void frmLanguage::Command2_Click() {
    Unload();
}

void frmLanguage::Command3_Click() {
    const std::filesystem::path path = ProgramFileToRead("Localization.txt");
    if (FileExists(path.string()))
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

void frmLanguage::closeEvent(QCloseEvent* event) {
    event->accept();
    Unload();
}

void frmLanguage::Form_Unload() {
    StopDownload();
}

void ShowLanguageWindow() {
    const bool loaded = Form::FindLoaded(QStringLiteral("frmLanguage")) != nullptr;
    frmLanguage* window = Form::Load<frmLanguage>();
    if (!loaded)
        window->Form_Load();
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

bool& MenuShown() {
#ifdef QUORVEL_SHOW_LANGUAGES
    static bool shown = true;
#else
    static bool shown = false;
#endif
    return shown;
}

}  // namespace

bool LanguagesMenuShown() {
    return MenuShown();
}

void SetLanguagesMenuShown(bool shown) {
    MenuShown() = shown;
}

void ApplyStoredLanguage(Form& form) {
    if (!LanguagesMenuShown())
        return;
    const std::string language = GetSetting(SettingsApp(), "Settings", "Language", "English");
    if (!EqualsIgnoringCase(language, "English"))
        ChangeLanguage(form, QString::fromStdString(language));
}

}  // namespace quorvel
