#include "FakeWindow.h"
#include "LocalizationStoreFixture.h"
#include "localization/LocalizationFormat.h"

#include <gmock/gmock.h>

namespace quorvel::test {
namespace {

using Store = LocalizationStore;

TEST_F(Store, ReadsTagsInAnyLetterCaseAndTakesItemTextsWhole) {
    dir.Write("Localization.xml",
              "<language_group><Language_Name>Deutsch</LANGUAGE_name><Translation_Items>\r\n"
              "\t\t<form1_cmdTV>Fernsehen</FORM1_CMDTV> trailing </x>\r\n"
              "<Form1_Cmp>a > b < c</form1_cmp>\r\n"
              "\t\t<DUP>first</DUP>\r\n\t\t<DUP>second</DUP>\r\n"
              "<A>single-character keys are not items</A>\r\n"
              "\t\t<OPEN_ONLY>no closing tag\r\n"
              "\t\t<WEB>visit [website] for [PROGRAMNAME]</WEB>\r\n"
              "\t</translation_items></Language_Group>");
    VersionInfo info;
    info.productName = "Streamora";
    info.comments = "acme.example";
    ScopedVersionInfo edition(info);
    LoadProductInfo();
    store.LoadLanguage("DEUTSCH");
    ASSERT_TRUE(store.ItemLines());
    EXPECT_EQ(store.ItemLines()->size(), 9u);
    EXPECT_EQ(store.LookupItem("FORM1_CMDTV"), "Fernsehen");
    EXPECT_EQ(store.LookupItem("form1_cmp"), "A > b < c");
    EXPECT_EQ(store.LookupItem("dup"), "First");
    EXPECT_EQ(store.LookupItem("A"), "");
    EXPECT_EQ(store.LookupItem("OPEN_ONLY"), "");
    EXPECT_EQ(store.LookupItem("WEB"), "Visit acme.example for Streamora");
    EXPECT_EQ(gLanguageName, "DEUTSCH");

    // Read up to the cap, and not at all past it.
    const std::string xml = dir.Read("Localization.xml");
    for (const std::size_t size : {kMaxLocalizationFileBytes, kMaxLocalizationFileBytes + 1}) {
        dir.Write("Localization.xml", xml + std::string(size - xml.size(), ' '));
        clsLanguages other;
        other.LoadLanguage("Deutsch");
        EXPECT_EQ(other.LookupItem("FORM1_CMDTV"),
                  size == kMaxLocalizationFileBytes ? "Fernsehen" : "");
    }
}

TEST_F(Store, DamagedGroupsNeitherCrashNorHideTheRequestedLanguage) {
    WriteXml(
        "<LANGUAGE_GROUP><TRANSLATION_ITEMS>\r\n<NO_NAME>x</NO_NAME>\r\n"
        "</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n"
        "<LANGUAGE_GROUP><LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>no items</LANGUAGE_GROUP>\r\n"
        "</LANGUAGE_GROUP>\r\n" +
        Group("Deutsch", "\t\t<KEY>Schlüssel</KEY>\r\n") + "<LANGUAGE_GROUP><LANGUAGE_NAME>Open");
    store.LoadLanguage("Deutsch");
    EXPECT_EQ(store.LookupItem("KEY"), "Schlüssel");
    EXPECT_THAT(store.ListLanguages(), ::testing::ElementsAre("Deutsch", "Deutsch"));

    // Truncated files of every length are read without fault.
    const std::string whole = dir.Read("Localization.xml");
    for (std::size_t cut = 0; cut < whole.size(); cut += 7) {
        dir.Write("Localization.xml", whole.substr(0, cut));
        clsLanguages other;
        other.LoadLanguage("Deutsch");
        EXPECT_EQ(other.LookupItem("KEY"), other.ItemLines() ? "Schlüssel" : "");
    }
}

TEST_F(Store, LanguageTagComesFromTheLoadedGroupAndOnlyWhenWellFormed) {
    WriteXml(Group("Deutsch", "\t\t<KEY>Schlüssel</KEY>\r\n") +
             "<LANGUAGE_GROUP XML:LANG='pt-BR'><LANGUAGE_NAME>Portugues</LANGUAGE_NAME>"
             "<TRANSLATION_ITEMS>\r\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n");
    EXPECT_EQ(store.LanguageTag(), "");
    store.LoadLanguage("Deutsch");
    EXPECT_EQ(store.LanguageTag(), "xx");
    store.LoadLanguage("Portugues");
    EXPECT_EQ(store.LanguageTag(), "pt-BR");
    store.LoadLanguage("Klingon");  // not there: the loaded items and their tag stay
    EXPECT_EQ(store.LanguageTag(), "pt-BR");

    for (const char* group :
         {"<LANGUAGE_GROUP>", "<LANGUAGE_GROUP xml:lang=\"\">", "<LANGUAGE_GROUP xml:lang=de>",
          "<LANGUAGE_GROUP xml:lang=\"../qt\">", "<LANGUAGE_GROUP xml:lang=\"de",
          "<LANGUAGE_GROUP><LANGUAGE_NAME xml:lang=\"de\">",
          "<LANGUAGE_GROUP xml:lang=\"abcdefghijklmnopqrstuvwxyz0123456789\">"}) {
        EXPECT_EQ(GroupLanguageTag(group), "") << group;
    }
    EXPECT_EQ(GroupLanguageTag("<LANGUAGE_GROUP xml:lang=\"zh_Hant\">"), "zh_Hant");
}

TEST_F(Store, MessageTableHoldsExactly201Entries) {
    EXPECT_EQ(store.getMessages("anything"), "");
    store.setMessage("msg_hello", "hello [ProgramName]");
    store.setMessage("MSG_HELLO", "shadowed");
    EXPECT_EQ(store.getMessages("MSG_HELLO"), "Hello [ProgramName]");
    for (int i = 2; i < 201; ++i)
        store.setMessage("K" + std::to_string(i), "t" + std::to_string(i));
    store.setMessage("DROPPED", "late");
    EXPECT_EQ(store.getMessages("K200"), "T200");
    EXPECT_EQ(store.getMessages("DROPPED"), "");
    EXPECT_EQ(store.getMessages("NEVER"), "");
    EXPECT_FALSE(gLanguages.getMessages("MSG_TITLELANGUAGE").empty());
    EXPECT_FALSE(gLanguages.getMessages("MSG_DOWNLOADED").empty());
}

FakeWindow MainWindow() {
    FakeWindow w("Form1");
    w.Add("cmdTV", "CommandButton", "TV");
    w.Add("Label1", "Label", "Select & play");
    w.Add("Timer1", "Timer", "");
    w.Add("mnuFile", "Menu", "&File");
    w.Add("mnuFileItem", "Menu", "Open", 0);
    w.Add("mnuFileItem", "Menu", "Exit", 1);
    w.Add("ListView1", "ListView", "").items = {"Name", "Category", "Type"};
    w.Add("TabStrip1", "TabStrip", "").items = {"Lists", "Files"};
    w.Add("optMode", "OptionButton", "Loose");
    return w;
}

std::vector<std::string> Captions(const FakeWindow& w) {
    std::vector<std::string> out;
    for (const auto& c : w.controls) {
        out.push_back(c->caption);
        out.insert(out.end(), c->items.begin(), c->items.end());
    }
    return out;
}

TEST_F(Store, GeneratesTheFileAndAppliesLanguagesBackAndForth) {
    FakeWindow form = MainWindow();
    store.setMessage("MSG_Hello", "Hello there");
    ASSERT_TRUE(store.makeLocalizationFile({&form}));
    const std::string generated = dir.Read("Localization.xml");
    const std::string items =
        "\t\t<FORM1_CMDTV>TV</FORM1_CMDTV>\r\n"
        "\t\t<FORM1_LABEL1>Select & play</FORM1_LABEL1>\r\n"
        "\t\t<FORM1_MNUFILE0>&File</FORM1_MNUFILE0>\r\n"
        "\t\t<FORM1_MNUFILEITEM0>Open</FORM1_MNUFILEITEM0>\r\n"
        "\t\t<FORM1_MNUFILEITEM1>Exit</FORM1_MNUFILEITEM1>\r\n"
        "\t\t<FORM1_LISTVIEW1_COL1>Name</FORM1_LISTVIEW1_COL1>\r\n"
        "\t\t<FORM1_LISTVIEW1_COL2>Category</FORM1_LISTVIEW1_COL2>\r\n"
        "\t\t<FORM1_LISTVIEW1_COL3>Type</FORM1_LISTVIEW1_COL3>\r\n"
        "\t\t<FORM1_TABSTRIP1_TABS1>Lists</FORM1_TABSTRIP1_TABS1>\r\n"
        "\t\t<FORM1_TABSTRIP1_TABS2>Files</FORM1_TABSTRIP1_TABS2>\r\n"
        "\t\t<MSG_HELLO>Hello there</MSG_HELLO>\r\n";
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n";
    ASSERT_EQ(generated.substr(0, head.size()), head);
    const std::size_t descStart = generated.find("<DESCRIPTION>");
    EXPECT_EQ(generated.find("</DESCRIPTION>") + 14 - descStart, 744u);
    EXPECT_THAT(generated,
                ::testing::EndsWith("</DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n" + items +
                                    "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n"
                                    "</XML_DIZ_INFO>\r\n"));

    const std::string german =
        Group("Deutsch",
              "\t\t<FORM1_CMDTV>Fernsehen</FORM1_CMDTV>\r\n\t\t<FORM1_MNUFILE0>&Datei</"
              "FORM1_MNUFILE0>\r\n"
              "\t\t<FORM1_MNUFILEITEM1>Beenden</FORM1_MNUFILEITEM1>\r\n"
              "\t\t<FORM1_LISTVIEW1_COL2>Kategorie</FORM1_LISTVIEW1_COL2>\r\n"
              "\t\t<FORM1_TABSTRIP1_TABS2>Dateien</FORM1_TABSTRIP1_TABS2>\r\n"
              "\t\t<FORM1_LABEL1></FORM1_LABEL1>\r\n\t\t<MSG_HELLO>hallo</MSG_HELLO>\r\n");
    std::string both = generated;
    both.insert(both.rfind("</XML_DIZ_INFO>"), german);
    dir.Write("Localization.xml", both);

    const std::vector<std::string> english = Captions(form);
    store.ChangeLanguage(form, "English");
    EXPECT_EQ(Captions(form), english);
    store.ChangeLanguage(form, "deutsch");
    EXPECT_THAT(Captions(form), ::testing::ElementsAre("Fernsehen", "Select & play", "", "&Datei",
                                                       "Open", "Beenden", "", "Name", "Kategorie",
                                                       "Type", "", "Lists", "Dateien", "Loose"));
    EXPECT_EQ(store.getMessages("msg_hello"), "Hallo");
    EXPECT_GE(form.controls[0]->refreshes, 2);
    store.ChangeLanguage(form, "English");
    EXPECT_EQ(Captions(form), english);
    EXPECT_EQ(store.getMessages("MSG_HELLO"), "Hello there");
}

TEST_F(Store, MissingLanguageFallsBackToEnglishFirstThenKeepsTheLastOne) {
    WriteXml(Group("English", "\t\t<W_B>Play</W_B>\r\n") +
             Group("Français", "\t\t<W_B>Lire</W_B>\r\n") +
             "<LANGUAGE_GROUP><LANGUAGE_NAME>OneLine</LANGUAGE_NAME><TRANSLATION_ITEMS>"
             "<W_B>Eins</W_B></TRANSLATION_ITEMS></LANGUAGE_GROUP>"
             "<LANGUAGE_GROUP><LANGUAGE_NAME>Empty</LANGUAGE_NAME><TRANSLATION_ITEMS>"
             "</TRANSLATION_ITEMS></LANGUAGE_GROUP>");
    FakeWindow w("W");
    FakeControl& button = w.Add("B", "CommandButton", "design");
    store.ChangeLanguage(w, "Klingon");
    EXPECT_EQ(button.caption, "Play");
    EXPECT_EQ(gLanguageName, "English");
    store.ChangeLanguage(w, "français");
    EXPECT_EQ(button.caption, "Lire");
    button.caption = "changed";
    store.ChangeLanguage(w, "Klingon");
    EXPECT_EQ(button.caption, "Lire");
    EXPECT_EQ(gLanguageName, "Klingon");
    // A one-line items block counts as damaged: English takes its place.
    store.ChangeLanguage(w, "OneLine");
    EXPECT_EQ(button.caption, "Play");
    // An empty one holds no line at all and is applied as it is: nothing changes.
    button.caption = "kept";
    store.ChangeLanguage(w, "Empty");
    EXPECT_EQ(button.caption, "kept");
    EXPECT_EQ(gLanguageName, "Empty");
}

TEST_F(Store, OnlyTheMdiVariantMatchesTypeNamesInAnyCase) {
    WriteXml(Group("English", "\t\t<W_L>Translated</W_L>\r\n"));
    FakeWindow w("W");
    FakeControl& label = w.Add("L", " label ", "design");
    store.ChangeLanguage(w, "English");
    EXPECT_EQ(label.caption, "design");
    store.ChangeLanguageMDI(w, "English");
    EXPECT_EQ(label.caption, "Translated");
}

TEST_F(Store, PathHelpersFollowTheFileNameRules) {
    EXPECT_EQ(clsLanguages::LangTrimPath("C:\\Program\\Localization.xml"), "Localization.xml");
    EXPECT_EQ(clsLanguages::LangTrimPath("/opt/quorvel/Localization.xml"), "Localization.xml");
    EXPECT_EQ(clsLanguages::LangTrimPath("name"), "name");
    EXPECT_EQ(clsLanguages::LangTrimPath("dir\\"), "");
    dir.Write("sub/Localization.XML", "x");
    EXPECT_TRUE(clsLanguages::LangFileExists((dir / "sub/localization.xml").string()));
    EXPECT_FALSE(clsLanguages::LangFileExists((dir / "sub/*.xml").string()));
    EXPECT_FALSE(clsLanguages::LangFileExists((dir / "sub").string()));
}

}  // namespace
}  // namespace quorvel::test
