#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "Form1Fixture.h"
#include "LocalHttpServer.h"
#include "catalogue/WebUpdate.h"
#include "files/FileIo.h"
#include "shell/CatalogueEditor.h"
#include "shell/CatalogueUpdater.h"

namespace quorvel {
namespace {

using test::EncodedLines;
using test::Names;
using StringList = std::vector<std::string>;

struct EditingWindow : test::Form1Fixture {
    EditingWindow() {
        // Decided again now that the folder exists: every file stays in it.
        SetApplicationFolder(App());
        EXPECT_EQ(CurrentFilesLayout(), FilesLayout::Portable);
        WriteAppFile("admin.txt", "");
        WriteAppFile("Data.txt",
                     EncodedLines({"DW English|http://dw/en|TV|English",
                                   "Jazz|http://jazz|Radio|English", "BBC|http://bbc|TV|English"}));
        form = MakeForm();
        EXPECT_TRUE(form->Form_Load());
        editor = form->findChild<CatalogueEditor*>();
        EXPECT_NE(editor, nullptr);
        editor->SetMessagePresenter([this](QWidget*, const QString& text) { messages << text; });
    }
    ListRows& Rows() const { return form->ListView1->Rows(); }
    void Click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }

    std::unique_ptr<Form1> form;
    CatalogueEditor* editor = nullptr;
};

TEST(CatalogueEditor, PanelButtonsEditTheRows) {
    EditingWindow w;
    Form1& f = *w.form;
    w.Click(f.Clear);
    EXPECT_EQ(w.Rows().Count(), 0);
    w.Click(f.doLoad);
    EXPECT_EQ(Names(w.Rows()), (StringList{"DW English", "Jazz", "BBC"}));

    // Add with the boxes at their default texts.
    w.Click(f.cmdAdd);
    EXPECT_EQ(w.Rows().At(4).text, "Name");
    EXPECT_EQ(w.Rows().At(4).subItems, (StringList{"TV", "Language/Type", "URL"}));

    // An imported list: URL, category and section in the import layout.
    w.WriteAppFile("list.txt", "[German]\r\nx\r\nEins\r\nhttp://eins\r\nDup\r\nhttp://BBC\r\n");
    f.Text1->setText("list.txt");
    f.txtType->setText("Radio");
    w.Click(f.cmdLoad2);
    ASSERT_EQ(w.Rows().Count(), 6);
    EXPECT_EQ(w.Rows().At(5).subItems, (StringList{"http://eins", "Radio", "German"}));
    f.Text1->setText("absent.txt");
    w.Click(f.cmdLoad2);
    EXPECT_EQ(w.Rows().Count(), 6);
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages.last().contains("absent.txt"));

    // Enter in Text4 sets the selected row's type and leaves the box empty for the next.
    w.Rows().Select(5);
    f.Text4->setText("Music");
    QTest::keyClick(f.Text4, Qt::Key_Return);
    EXPECT_EQ(w.Rows().At(5).SubItem(3), "Music");
    EXPECT_TRUE(f.Text4->text().isEmpty());

    // Enter in Text3 replaces in names; the imported duplicate of BBC goes.
    f.Text2->setText("dw");
    f.Text3->setText("Deutsche Welle");
    QTest::keyClick(f.Text3, Qt::Key_Return);
    EXPECT_EQ(w.Rows().At(1).text, "Deutsche Welle English");
    w.Click(f.cmdDupes);
    EXPECT_EQ(w.messages.last(), "Deleted 1");
    EXPECT_EQ(Names(w.Rows()),
              (StringList{"Deutsche Welle English", "Jazz", "BBC", "Name", "Eins"}));

    w.Rows().Select(4);
    w.Click(f.DELChannel);
    EXPECT_EQ(w.Rows().Count(), 4);
}

TEST(CatalogueEditor, PublishedEditsComeBackThroughTheUpdate) {
    EditingWindow w;
    Form1& f = *w.form;
    test::LocalHttpServer server;
    VersionInfo info = CurrentVersionInfo();
    info.companyName = "Other Company";
    info.vendorUpdateHost = "127.0.0.1:" + std::to_string(server.Port());
    const ScopedVersionInfo edition(info);

    w.Click(f.Clear);
    w.Click(f.doLoad);
    w.Rows().Select(3);
    f.ListView1_ItemClick();
    EXPECT_EQ(f.txtEditURL->text(), "http://bbc");
    f.txtEditName->setText("BBC One");
    w.Click(f.cmdEdit);
    f.txtAddName->setText("Added");
    f.txtAddURL->setText("http://added");
    f.txtAddType->setText("English");
    w.Click(f.cmdAdd);
    w.Click(f.save);
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('\n').toStdString();

    std::string page;
    std::string error;
    ASSERT_EQ(ReadFileAtMost(w.App() / "Data.htm", 1 << 20, page, error), FileReadStatus::Read)
        << error;
    server.Serve("/TV/Data.htm", "<html>\r\n" + page + "</html>", "text/html");
    QSignalSpy ended(w.editor, &CatalogueEditor::DownloadEnded);
    f.mnuFileItem[0]->trigger();
    f.mnuFileItem[0]->trigger();  // held back while the first runs
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_EQ(server.RequestCount("/TV/Data.htm"), 1);
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_EQ(w.messages.last().toStdString(), kUpdateAppliedMessage);
    // The TV list, reloaded from the new file, shows the edits.
    EXPECT_EQ(Names(w.Rows()), (StringList{"DW English", "BBC One", "Added"}));

    // A failed download says why and keeps the list and the file.
    server.ServeStatus("/TV/Data.htm", 503, "busy");
    f.mnuFileItem[0]->trigger();
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_TRUE(w.messages.last().contains("HTTP error 503")) << w.messages.last().toStdString();
    EXPECT_EQ(Names(w.Rows()), (StringList{"DW English", "BBC One", "Added"}));
    EXPECT_TRUE(f.mnuFileItem[0]->isEnabled());
}

}  // namespace
}  // namespace quorvel
