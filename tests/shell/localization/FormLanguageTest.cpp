#include "LocalHttpServer.h"
#include "ScopedHives.h"
#include "TempDir.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "localization/clsLanguages.h"
#include "settings/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/forms/Form.h"
#include "shell/localization/FormLocalization.h"
#include "shell/localization/QtLanguage.h"
#include "shell/localization/frmLanguage.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/PlainText.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace quorvel {
namespace {

using test::TempDir;

class SampleMain : public Form {
public:
    SampleMain() : Form("Form1") {
        cmdTV =
            AddControl(new QPushButton("TV", ClientArea()), "cmdTV", ControlType::CommandButton);
        SetTwipsGeometry(cmdTV, 60, 60, 1800, 360);
        lblType = AddControl(new QLabel("Type:", ClientArea()), "lblType", ControlType::Label);
        list = AddControl(new ListView(ClientArea()), "ListView1", ControlType::ListView);
        list->Rows().AddColumn("Name", 2000);
        list->Rows().AddColumn("Category", 1000);
        mnuFile = AddMenu("mnuFile", "&File");
        AddMenuItem(mnuFile, "mnuFileItem", "E&xit", 0);
    }
    QPushButton* cmdTV = nullptr;
    QLabel* lblType = nullptr;
    ListView* list = nullptr;
    QMenu* mnuFile = nullptr;
};

class FormLanguage : public ::testing::Test {
protected:
    FormLanguage() {
        m_previousFolder = ApplicationFolder();
        SetApplicationFolder(dir.Path());
    }
    ~FormLanguage() override {
        for (Form* form : std::vector<Form*>(Form::LoadedForms()))
            form->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetApplicationFolder(m_previousFolder);
    }
    static QString Captions(SampleMain& form) {
        return form.cmdTV->text() + "|" + form.lblType->text() + "|" +
               form.list->model()->headerData(1, Qt::Horizontal).toString() + "|" +
               form.mnuFile->title() + "|" + form.mnuFile->actions().at(0)->text();
    }

    TempDir dir;
    test::ScopedHives hives;

private:
    std::filesystem::path m_previousFolder;
};

const char kGerman[] =
    "<LANGUAGE_GROUP xml:lang=\"de\">\r\n\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
    "\t<TRANSLATION_ITEMS>\r\n"
    "\t\t<FORM1_CMDTV>Fernsehprogramme ansehen</FORM1_CMDTV>\r\n"
    "\t\t<FORM1_LBLTYPE>Art:</FORM1_LBLTYPE>\r\n"
    "\t\t<FORM1_LISTVIEW1_COL2>Kategorie</FORM1_LISTVIEW1_COL2>\r\n"
    "\t\t<FORM1_MNUFILE0>&Datei</FORM1_MNUFILE0>\r\n"
    "\t\t<FORM1_MNUFILEITEM0>&Beenden</FORM1_MNUFILEITEM0>\r\n"
    "\t\t<MSG_TITLELANGUAGE>Sprachauswahl</MSG_TITLELANGUAGE>\r\n"
    "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";

TEST_F(FormLanguage, GeneratedFileRoundTripsThroughARealWindow) {
    auto* form = new SampleMain;
    const QFont designFont = form->cmdTV->font();
    ASSERT_TRUE(MakeLocalizationFile());
    std::string file = dir.Read("Localization.xml");
    EXPECT_NE(file.find("\t\t<FORM1_MNUFILE0>&File</FORM1_MNUFILE0>\r\n"
                        "\t\t<FORM1_MNUFILEITEM0>E&xit</FORM1_MNUFILEITEM0>\r\n"),
              std::string::npos);
    file.insert(file.rfind("</XML_DIZ_INFO>"), kGerman);
    dir.Write("Localization.xml", file);

    const QString english = Captions(*form);
    ChangeLanguage(*form, "English");
    EXPECT_EQ(Captions(*form), english);
    ChangeLanguage(*form, "Deutsch");
    EXPECT_EQ(Captions(*form), "Fernsehprogramme ansehen|Art:|Kategorie|&Datei|&Beenden");
    // The long caption still fits the button's designed width, readable in full on hover.
    EXPECT_LE(form->cmdTV->fontMetrics().horizontalAdvance(form->cmdTV->text()),
              form->cmdTV->width());
    EXPECT_LT(form->cmdTV->font().pointSizeF(), designFont.pointSizeF());
    EXPECT_EQ(form->cmdTV->toolTip(), PlainToolTip("Fernsehprogramme ansehen"));
    // Qt's own buttons and the form of numbers follow (Debian's Qt translations installed).
    const auto qtTexts = [] {
        QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::No)->text() + "|" + QLocale().toString(5.3, 'f', 1);
    };
    EXPECT_EQ(qtTexts(), "&Nein|5,3");
    ChangeLanguage(*form, "English");
    EXPECT_EQ(Captions(*form), english);
    EXPECT_EQ(qtTexts(), "&No|5.3");
    EXPECT_EQ(form->cmdTV->font(), designFont);
    EXPECT_TRUE(form->cmdTV->toolTip().isEmpty());
}

TEST(QtLanguage, LocaleComesFromTheTagElseFromTheNameInEnglishOrInItself) {
    struct Row {
        const char* tag;
        const char* name;
        QLocale::Language language;
    };
    for (const Row& row : std::vector<Row>{{"de", "Klingon", QLocale::German},
                                           {"pt-BR", "", QLocale::Portuguese},
                                           {"", "Deutsch", QLocale::German},
                                           {"", " spanish ", QLocale::Spanish},
                                           {"xx", "Fran\u00e7ais", QLocale::French},
                                           {"", "Klingon", QLocale::C},
                                           {"", "", QLocale::C}}) {
        EXPECT_EQ(LocaleOfLanguage(row.tag, QString::fromUtf8(row.name)).language(), row.language)
            << row.tag << "/" << row.name;
    }
}

TEST_F(FormLanguage, PickingALanguageStoresItAndTranslatesMainWindowAndItself) {
    auto* form = new SampleMain;
    ASSERT_TRUE(MakeLocalizationFile());
    std::string file = dir.Read("Localization.xml");
    file.insert(file.rfind("</XML_DIZ_INFO>"), kGerman);
    dir.Write("Localization.xml", file);
    dir.Write("Localization.txt",
              "<LANGUAGE_GROUP><LANGUAGE_NAME>English</LANGUAGE_NAME>"
              "</LANGUAGE_GROUP>\r\n" +
                  std::string(kGerman) + "<LANGUAGE_GROUP><LANGUAGE_NAME>Unclosed");

    ShowLanguageWindow();
    auto* window = static_cast<frmLanguage*>(Form::FindLoaded("frmLanguage"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Language Selection");
    ASSERT_EQ(window->Combo1->count(), 2);
    EXPECT_EQ(window->Combo1->currentText(), "English") << "the stored choice, by default English";

    // Typed text runs nothing, also when it names an entry and Return ends it.
    QLineEdit* edit = window->Combo1->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "deutsch");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(GetSetting(CurrentVersionInfo().productName, "Settings", "Language", ""), "");
    window->Combo1->setCurrentIndex(1);
    Q_EMIT window->Combo1->activated(1);
    EXPECT_EQ(GetSetting(CurrentVersionInfo().productName, "Settings", "Language", ""), "Deutsch");
    EXPECT_EQ(form->cmdTV->text(), "Fernsehprogramme ansehen");
    EXPECT_EQ(window->windowTitle(), "Sprachauswahl");

    ShowLanguageWindow();
    EXPECT_EQ(Form::FindLoaded("frmLanguage"), window) << "one instance only";
    window->FillLanguageList();
    EXPECT_EQ(window->Combo1->currentText(), "Deutsch");
}

TEST_F(FormLanguage, DownloadKeepsOnlyTranslationFilesAndWritesThemWhole) {
    test::LocalHttpServer server;
    VersionInfo info = CurrentVersionInfo();
    info.vendorUpdateHost = "127.0.0.1:" + std::to_string(server.Port());
    ScopedVersionInfo edition(info);
    dir.Write("Localization.txt", "old file");

    ShowLanguageWindow();
    auto* window = static_cast<frmLanguage*>(Form::FindLoaded("frmLanguage"));
    ASSERT_NE(window, nullptr);
    QSignalSpy finished(window, &frmLanguage::DownloadFinished);
    const auto download = [&] {
        const int before = finished.count();
        window->Command1->click();
        EXPECT_FALSE(window->Command1->isEnabled()) << "held back while one runs";
        EXPECT_TRUE(finished.count() > before || finished.wait(20000));
    };
    const auto folderHoldsOnlyTheFile = [&] {
        int entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            ++entries;
        EXPECT_EQ(entries, 1);
    };

    download();  // 404
    server.Serve("/Languages/0/Localization.txt", "<html>Not here</html>", "text/html");
    download();
    EXPECT_EQ(dir.Read("Localization.txt"), "old file");
    EXPECT_EQ(window->findChild<QMessageBox*>(), nullptr);
    folderHoldsOnlyTheFile();

    server.Serve("/Languages/0/Localization.txt",
                 "\xEF\xBB\xBF\r\n<language_group><LANGUAGE_NAME>Italiano</LANGUAGE_NAME>"
                 "<translation_items>\r\n</translation_items></language_group>");
    download();
    EXPECT_EQ(dir.Read("Localization.txt"),
              "<language_group><LANGUAGE_NAME>Italiano</LANGUAGE_NAME><translation_items>\r\n"
              "</translation_items></language_group>\r\n");
    folderHoldsOnlyTheFile();
    EXPECT_EQ(window->Combo1->itemText(0), "Italiano");
    auto* box = window->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text().toStdString(), gLanguages.getMessages("MSG_DOWNLOADED"));
    EXPECT_TRUE(window->Command1->isEnabled());
}

TEST_F(FormLanguage, MainWindowsLanguagesMenuOpensTheWindowAndIsHiddenAsDelivered) {
    Form1Options options;
    options.createPlayer = false;
    auto* main = new Form1(options);
    EXPECT_EQ(main->mnuLanguages->menuAction()->isVisible(), LanguagesMenuShown());
    main->mnuLanguageItem->trigger();
    ASSERT_NE(Form::FindLoaded("frmLanguage"), nullptr);
    EXPECT_TRUE(Form::FindLoaded("frmLanguage")->isVisible());
}

// Stands in for the desktop's default handler of local files.
class FileOpener : public QObject {
    Q_OBJECT
public:
    FileOpener() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~FileOpener() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;
public Q_SLOTS:
    void Open(const QUrl& url) { opened << url; }
};

TEST_F(FormLanguage, TranslateOpensTheTextFileOnlyWhenItExists) {
    FileOpener opener;
    ShowLanguageWindow();
    auto* window = static_cast<frmLanguage*>(Form::FindLoaded("frmLanguage"));
    window->Command3->click();
    EXPECT_TRUE(opener.opened.isEmpty());
    const auto path = dir.Write("localization.TXT", "<x>");
    window->Command3->click();
    EXPECT_EQ(opener.opened,
              QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(path.string()))});
}

}  // namespace
}  // namespace quorvel

#include "FormLanguageTest.moc"
