#include "Form1Fixture.h"
#include "shell/frmAbout.h"
#include "shell/localization/frmLanguage.h"
#include "shell/player/DirListBox.h"
#include "shell/player/DriveListBox.h"
#include "shell/player/FileListBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QUrl>

namespace quorvel {
namespace {

using test::EncodedLines;

// Collects what the program asks the desktop to open instead of opening it.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QStringList urls;
public Q_SLOTS:
    void Open(const QUrl& url) { urls << url.toLocalFile(); }
};

TEST(Form1Start, FirstStartOpensTheHelpOnceAndListsTheTvChannels) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.WriteAppFile("Help.chm", "help");
    OpenedUrls opened;
    {
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        ASSERT_EQ(opened.urls.size(), 1);
        EXPECT_TRUE(opened.urls[0].endsWith("/Help.chm"));
        EXPECT_EQ(fixture.Setting("showHelp"), "0");
        EXPECT_EQ(form->windowTitle().toStdString(),
                  Branding().ProgramName + " by " + Branding().CompanyName);
        EXPECT_EQ(form->cmdWebsite->text().toStdString(), "Visit " + Branding().Website);
        EXPECT_EQ(form->State.CurrentCategory, "TV");
        EXPECT_EQ(form->ListView1->Rows().Count(), 1);
        // Not the editing mode: three columns, no panel, clicks play.
        EXPECT_EQ(form->ListView1->Rows().Columns().size(), 3u);
        EXPECT_TRUE(form->Frame2->isHidden());
        EXPECT_FALSE(form->chkLoad->isChecked());
        EXPECT_TRUE(form->cmdSports->isHidden());
    }
    ReleaseInstanceLock();
    auto again = fixture.MakeForm();
    ASSERT_TRUE(again->Form_Load());
    EXPECT_EQ(opened.urls.size(), 1) << "the help opens on the first start only";
}

TEST(Form1Start, WindowOpensWhereItClosedUnlessThatIsOffEveryScreenOrDamaged) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.Store("showHelp", "0");
    const QRect designed = fixture.MakeForm()->geometry();
    {
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_EQ(form->geometry(), designed) << "the first start keeps the designed layout";
        form->show();
        form->setGeometry(40, 30, 700, 500);
        form->close();
    }
    EXPECT_EQ(fixture.Setting("WindowPlacement"), "40,30,700,500,0");
    ReleaseInstanceLock();
    {
        // Maximized, it keeps the place it returns to.
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_EQ(form->geometry(), QRect(40, 30, 700, 500));
        form->showMaximized();
        form->close();
    }
    EXPECT_EQ(fixture.Setting("WindowPlacement"), "40,30,700,500,1");
    ReleaseInstanceLock();
    {
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(form->normalGeometry(), QRect(40, 30, 700, 500));
    }
    for (const char* stored : {"5000,5000,700,500,0", "40,30,700,500"}) {
        ReleaseInstanceLock();
        fixture.Store("WindowPlacement", stored);
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_EQ(form->geometry(), designed) << stored;
    }
}

TEST(Form1Start, AdminFileOpensTheEditingModeWhoseClicksFillTheEditFields) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.WriteAppFile("ADMIN.TXT", "");
    fixture.Store("showHelp", "0");
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_TRUE(form->EditMode);
    ASSERT_EQ(form->ListView1->Rows().Columns().size(), 4u);
    EXPECT_EQ(form->ListView1->Rows().Columns()[3].text, "URL");
    EXPECT_FALSE(form->Frame2->isHidden());
    EXPECT_TRUE(form->chkLoad->isChecked());

    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    form->ListView1->Rows().Select(1);
    form->ListView1_ItemClick();
    EXPECT_EQ(form->txtEditName->text(), "One");
    EXPECT_EQ(form->cmbEditCateogy->currentText(), "TV");
    EXPECT_EQ(form->txtEditType->text(), "English");
    // A category listing has no URL column: the box shows the row's address, so that OK
    // after a click keeps it.
    EXPECT_EQ(form->txtEditURL->text(), "http://one.example");
    EXPECT_EQ(played.size(), 0);

    form->Command2->click();
    EXPECT_TRUE(form->Frame2->isHidden());
    EXPECT_FALSE(form->chkLoad->isChecked());
    form->txtEditName->clear();
    form->ListView1_ItemClick();
    EXPECT_EQ(form->txtEditName->text(), "One") << "the editing mode stays";
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played[0][0].toString(), "http://one.example");
}

TEST(Form1Start, ASecondInstanceEndsBeforeItsCaptionIsSet) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    InstanceLock first(Branding().ProgramName);
    ASSERT_TRUE(first.Held()) << first.Path();
    auto form = fixture.MakeForm();
    EXPECT_FALSE(form->Form_Load());
    EXPECT_EQ(form->windowTitle(), "");
    EXPECT_EQ(form->cmdWebsite->text(), "Visit ");
    EXPECT_EQ(form->ListView1->Rows().Count(), 0);
    EXPECT_EQ(fixture.Setting("showHelp"), "<absent>");
}

TEST(Form1Start, LastFolderComesBackAndItsFilesPlay) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.Store("showHelp", "0");
    const std::filesystem::path media = fixture.App() / "media";
    std::filesystem::create_directory(media);
    std::ofstream(media / "Song.MP3") << "x";
    std::ofstream(media / "notes.txt") << "x";
    std::ofstream(media / "Zulu 2026-01-05 07-09.ts") << "x";  // a recording
    fixture.Store("Dir", media.c_str());

    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(form->Dir1->path().toStdString(), media.string());
    ASSERT_EQ(form->File1->count(), 2) << "only media files are offered, recordings included";
    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    form->File1->setCurrentRow(0);
    form->chkLoad->setChecked(true);  // files play regardless
    form->File1_Click();
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played[0][0].toString().toStdString(), (media / "Song.MP3").string());

    // A recording made meanwhile shows when My Files is shown; the selection stays.
    std::ofstream(media / "Alpha 2026-01-05 08-00.mkv") << "x";
    form->cmdFiles_Click();
    ASSERT_EQ(form->File1->count(), 3);
    EXPECT_EQ(form->File1->fileName(), "Song.MP3");

    // Another folder is stored at once.
    ASSERT_TRUE(form->Dir1->setPath(QString::fromStdString(fixture.App().string())));
    EXPECT_EQ(fixture.Setting("Dir"), fixture.App().string());
}

TEST(Form1Start, StoredLanguageComesBackWhereTheLanguagesMenuIsBuiltIn) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.WriteAppFile("Localization.xml",
                         "<LANGUAGE_GROUP><LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>"
                         "<TRANSLATION_ITEMS>\r\n<FORM1_CMDTV>Fernsehen</FORM1_CMDTV>\r\n"
                         "<FRMABOUT_LABEL2>Fassung:</FRMABOUT_LABEL2>\r\n"
                         "</TRANSLATION_ITEMS></LANGUAGE_GROUP>");
    fixture.Store("showHelp", "0");
    fixture.Store("Language", "Deutsch");
    const bool delivered = LanguagesMenuShown();
    // Hidden as delivered: nothing may change the windows behind the user's back.
    for (const bool menu : {false, true}) {
        SetLanguagesMenuShown(menu);
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        frmAbout* about = ShowAboutWindow();
        EXPECT_EQ(form->cmdTV->text(), menu ? "Fernsehen" : "TV");
        EXPECT_EQ(about->Label2->text(), menu ? "Fassung:" : "Version:");
        about->Unload();
    }
    SetLanguagesMenuShown(delivered);
}

TEST(Form1Start, StaleDriveAndFolderLeaveTheListsWhereTheyWere) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"One|http://one.example|TV|English"}));
    fixture.Store("showHelp", "0");
    const std::string stick = (fixture.App() / "unplugged-stick").string();
    const std::string folder = stick + "/Music";
    fixture.Store("Drive", stick.c_str());
    fixture.Store("Dir", folder.c_str());

    auto form = fixture.MakeForm();
    const QString drive = form->Drive1->drive();
    const QString dir = form->Dir1->path();
    const int files = form->File1->count();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(form->Drive1->drive(), drive);
    EXPECT_EQ(form->Dir1->path(), dir);
    EXPECT_EQ(form->File1->path(), dir) << "the file list still shows the folder list's folder";
    EXPECT_EQ(form->File1->count(), files);
    EXPECT_EQ(fixture.Setting("Drive"), stick);
    EXPECT_EQ(fixture.Setting("Dir"), folder);
}

}  // namespace
}  // namespace quorvel

#include "Form1StartTest.moc"
