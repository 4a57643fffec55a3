#include "Form1Fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>

#include <sstream>

namespace quorvel {
namespace {

using test::EncodedLines;
using test::Names;

// The favorites file decoded, one plain line per favorite.
std::vector<std::string> FileLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        lines.push_back(DecodeLine(bytes.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

void AddFavorite(Form1& form, const std::string& name) {
    const ListRows& rows = form.ListView1->Rows();
    for (int i = 1; i <= rows.Count(); ++i) {
        if (rows.At(i).text == name) {
            form.ListView1->Rows().Select(i);
            form.cmdFav_Click();
            return;
        }
    }
    FAIL() << name;
}

const std::string kCatalogue = EncodedLines({"Zeta TV|http://z.example/live|TV|English",
                                             "Alpha TV|http://a.example/live|TV|English",
                                             "Mid TV|http://m.example/live|TV|English/German"});

TEST(Form1Favorites, SurviveARestartInTheOrderOfTheLastColumnSort) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", kCatalogue);
    {
        auto form = fixture.MakeForm();
        ASSERT_TRUE(form->Form_Load());
        EXPECT_EQ(form->ListView2->Rows().Count(), 0) << "no file, no favorites";
        AddFavorite(*form, "Zeta TV");
        EXPECT_EQ(FileLines(fixture.ReadAppFile("Favorites.txt")),
                  (std::vector<std::string>{"Zeta TV|http://z.example/live|TV|English"}));
        AddFavorite(*form, "Alpha TV");
        AddFavorite(*form, "Alpha TV");  // no test for duplicates

        form->ListView2_ColumnClick(1);  // ascending by name
        AddFavorite(*form, "Mid TV");    // lands at its sort position
        EXPECT_EQ(Names(form->ListView2->Rows()),
                  (std::vector<std::string>{"Alpha TV", "Alpha TV", "Mid TV", "Zeta TV"}));
        EXPECT_EQ(FileLines(fixture.ReadAppFile("Favorites.txt")),
                  (std::vector<std::string>{"Alpha TV|http://a.example/live|TV|English",
                                            "Alpha TV|http://a.example/live|TV|English",
                                            "Mid TV|http://m.example/live|TV|English/German",
                                            "Zeta TV|http://z.example/live|TV|English"}));
        form->ListView2->Rows().Select(2);
        form->Command1->click();
    }
    ReleaseInstanceLock();

    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    const ListRows& favorites = form->ListView2->Rows();
    ASSERT_EQ(Names(favorites), (std::vector<std::string>{"Alpha TV", "Mid TV", "Zeta TV"}));
    EXPECT_EQ(favorites.At(2).SubItem(2), "English/German");

    QSignalSpy played(form.get(), &Form1::PlayerUrlSet);
    form->ListView2->Rows().Select(2);
    form->chkLoad->setChecked(true);
    form->ListView2_ItemClick();
    EXPECT_EQ(played.size(), 0) << "nothing plays while editing";
    form->chkLoad->setChecked(false);
    form->ListView2_ItemClick();
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played[0][0].toString(), "http://m.example/live");

    // Removing with nothing selected rewrites the file unchanged; removing all leaves it empty.
    form->ListView2->Rows().Select(0);
    form->Command1_Click();
    EXPECT_EQ(FileLines(fixture.ReadAppFile("Favorites.txt")).size(), 3u);
    for (int i = 0; i < 3; ++i) {
        form->ListView2->Rows().Select(1);
        form->Command1_Click();
    }
    EXPECT_TRUE(std::filesystem::exists(fixture.App() / "Favorites.txt"));
    EXPECT_EQ(fixture.ReadAppFile("Favorites.txt"), "");
    EXPECT_TRUE(fixture.messages.isEmpty());
}

TEST(Form1Favorites, AFailedSaveKeepsTheListAndIsToldOnce) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", kCatalogue);
    auto form = fixture.MakeForm();
    ASSERT_TRUE(form->Form_Load());
    form->ListView1->Rows().Select(0);
    form->cmdFav_Click();  // nothing selected: nothing added, no file made
    EXPECT_FALSE(std::filesystem::exists(fixture.App() / "Favorites.txt"));

    // A folder in the file's place: every rewrite fails and leaves it as it was.
    std::filesystem::create_directory(fixture.App() / "Favorites.txt");
    AddFavorite(*form, "Zeta TV");
    AddFavorite(*form, "Mid TV");
    EXPECT_EQ(form->ListView2->Rows().Count(), 2);
    ASSERT_EQ(fixture.messages.size(), 1) << fixture.messages.join("\n").toStdString();
    EXPECT_TRUE(fixture.messages[0].startsWith("The favorites could not be saved"));
    EXPECT_TRUE(std::filesystem::is_directory(fixture.App() / "Favorites.txt"));

    // Once it can be written again, the whole list is there.
    std::filesystem::remove(fixture.App() / "Favorites.txt");
    form->ListView2->Rows().Select(1);
    form->Command1_Click();
    EXPECT_EQ(FileLines(fixture.ReadAppFile("Favorites.txt")),
              (std::vector<std::string>{"Mid TV|http://m.example/live|TV|English/German"}));
}

TEST(Form1Sorting, EveryHeaderClickInvertsTheListsDirection) {
    test::Form1Fixture fixture;
    fixture.WriteAppFile("Data.txt", EncodedLines({"b|u1|TV|English/Zulu", "C|u2|TV|English/Afar",
                                                   "a|u3|TV|English/Maori"}));
    auto form = fixture.MakeForm();
    // An empty list is left alone, direction included.
    form->ListView1_ColumnClick(1);
    EXPECT_FALSE(form->ListView1->Rows().Sorted());

    form->cmdTV_Click();
    form->ListView1_ColumnClick(1);
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"a", "b", "C"}));
    form->ListView1_ColumnClick(1);
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"C", "b", "a"}));
    // The next column goes the other way from the last sort: ascending by type now.
    form->ListView1_ColumnClick(3);
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"C", "a", "b"}));
    // A column the list lacks fails quietly and changes nothing.
    bool showError = false;
    EXPECT_FALSE(EnhListView_SortColumns(*form->ListView1, 9, showError));
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"C", "a", "b"}));
    // A reload keeps the sorted order.
    form->cmdTV_Click();
    EXPECT_EQ(Names(form->ListView1->Rows()), (std::vector<std::string>{"C", "a", "b"}));
}

}  // namespace
}  // namespace quorvel
