#include "catalogue/ChannelList.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "CatalogueTestFiles.h"
#include "catalogue/CatalogueRecords.h"
#include "catalogue/LineCodec.h"
#include "catalogue/RecordWalk.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::WriteCatalogue;
using Names = std::vector<std::string>;

// One load as the main window does it, with the messages it would show.
struct Browser {
    BrowsingState state;
    ListRows rows;
    ComboBoxState combo;
    std::vector<std::string> messages;

    bool Load(const std::filesystem::path& file, std::string category, std::string language,
              bool refresh = true) {
        state.CurrentCategory = std::move(category);
        state.CurrentLanguage = std::move(language);
        state.RefreshLanguageList = refresh;
        return LoadChannelList(file, state, rows, combo,
                               [this](const std::string& m) { messages.push_back(m); });
    }
    Names RowNames() const {
        Names names;
        for (int i = 1; i <= rows.Count(); ++i)
            names.push_back(rows.At(i).text);
        return names;
    }
};

const std::initializer_list<std::string_view> kCatalogue = {
    "",
    "BBC One|http://bbc/1|TV|English",
    "TVE|http://tve|TV|English/Spanish",
    "Heritage|http://old|TV|Old English",
    "Radio Uno|http://r1|Radio|Italian",
    "Arabia|http://ar|TV|arabic",
    "Zulu TV|http://zu|TV|Zulu",
    "no separator here",
    "Kanal|http://k|TV|German//Danish/",
    "Extra|http://x|TV|english|ignored|fields",
};

TEST(ChannelListTest, ListsTheCategoryFilteredByLanguageIgnoringCase) {
    TempDir dir;
    const auto file = WriteCatalogue(dir, kCatalogue);
    Browser b;
    ASSERT_TRUE(b.Load(file, "TV", "All"));
    EXPECT_EQ(b.RowNames(),
              (Names{"BBC One", "TVE", "Heritage", "Arabia", "Zulu TV", "Kanal", "Extra"}));
    const ListRow& tve = b.rows.At(2);
    EXPECT_EQ(tve.tag, "http://tve");
    EXPECT_EQ(tve.subItems, (Names{"TV", "English/Spanish"}));
    EXPECT_TRUE(b.messages.empty());

    ASSERT_TRUE(b.Load(file, "TV", "english"));
    EXPECT_EQ(b.RowNames(), (Names{"BBC One", "TVE", "Heritage", "Extra"}));
    ASSERT_TRUE(b.Load(file, "TV", "Span"));
    EXPECT_EQ(b.RowNames(), Names{"TVE"});
    ASSERT_TRUE(b.Load(file, "tv", "All"));  // the category is compared exactly
    EXPECT_EQ(b.rows.Count(), 0);
    ASSERT_TRUE(b.Load(file, "Radio", "All"));
    EXPECT_EQ(b.RowNames(), Names{"Radio Uno"});
}

TEST(ChannelListTest, RebuildsTheLanguageListFromTheWholeCategory) {
    TempDir dir;
    const auto file = WriteCatalogue(dir, kCatalogue);
    Browser b;
    ASSERT_TRUE(b.Load(file, "TV", "Spanish"));
    // Hidden records count too; "english" is "English" again; capitals sort first.
    EXPECT_EQ(b.combo.items, (Names{"All", "Danish", "English", "German", "Old English", "Spanish",
                                    "Zulu", "arabic"}));
    EXPECT_EQ(b.combo.text, "Spanish");
    EXPECT_FALSE(b.state.RefreshLanguageList);

    // Found as the end of a longer name: chosen although no entry is exactly "glish".
    ASSERT_TRUE(b.Load(file, "TV", "glish"));
    EXPECT_EQ(b.combo.text, "glish");
    // "All" and unknown languages leave the box with no text.
    ASSERT_TRUE(b.Load(file, "TV", "All"));
    EXPECT_EQ(b.combo.text, "");
    ASSERT_TRUE(b.Load(file, "TV", "Klingon"));
    EXPECT_EQ(b.combo.text, "");
    EXPECT_EQ(b.rows.Count(), 0);

    // Without the request the box is left alone.
    b.combo = {{"All", "Mine"}, "Mine"};
    ASSERT_TRUE(b.Load(file, "Radio", "All", false));
    EXPECT_EQ(b.combo.items, (Names{"All", "Mine"}));
    EXPECT_EQ(b.combo.text, "Mine");
}

TEST(ChannelListTest, LongerNameCollectedFirstHidesItsEnding) {
    TempDir dir;
    const auto file = WriteCatalogue(
        dir, {"A|u|Radio|Old English", "B|u|Radio|ENGLISH/Italian", "C|u|Radio|italian/Danish"});
    Browser b;
    ASSERT_TRUE(b.Load(file, "Radio", "english"));
    EXPECT_EQ(b.combo.items, (Names{"All", "Danish", "Italian", "Old English"}));
    EXPECT_EQ(b.combo.text, "english");
    EXPECT_EQ(b.RowNames(), (Names{"A", "B"}));
}

TEST(ChannelListTest, EmptyStateMeansTvAndAllAndEmptyFileOnlyAll) {
    TempDir dir;
    const auto file = dir.Write("Data.txt", "");
    Browser b;
    b.rows.Add("left over");
    ASSERT_TRUE(b.Load(file, "", ""));
    EXPECT_EQ(b.state.CurrentCategory, "TV");
    EXPECT_EQ(b.state.CurrentLanguage, "All");
    EXPECT_EQ(b.rows.Count(), 0);
    EXPECT_EQ(b.combo.items, Names{"All"});
    EXPECT_TRUE(b.messages.empty());
}

TEST(ChannelListTest, AccentedTextMatchesAcrossTheCodePage) {
    TempDir dir;
    const auto file = WriteCatalogue(dir, {"Caf\xC3\xA9 TV|http://c|T\xC3\xA9l\xC3\xA9|FRAN\xC3\x87"
                                           "AIS/\xC5\x92uvre",
                                           "Other|http://o|T\xC3\xA9l\xC3\xA9|Deutsch"});
    Browser b;
    ASSERT_TRUE(b.Load(file, "T\xC3\xA9l\xC3\xA9",
                       "fran\xC3\xA7"
                       "ais"));
    ASSERT_EQ(b.rows.Count(), 1);
    EXPECT_EQ(b.rows.At(1).text, "Caf\xC3\xA9 TV");
    EXPECT_EQ(b.rows.At(1).subItems[0], "T\xC3\xA9l\xC3\xA9");
    EXPECT_EQ(b.combo.items, (Names{"All", "Deutsch",
                                    "FRAN\xC3\x87"
                                    "AIS",
                                    "\xC5\x92uvre"}));
    EXPECT_EQ(b.combo.text,
              "fran\xC3\xA7"
              "ais");
    // A filter the code page cannot hold matches nothing instead of a stray "?".
    ASSERT_TRUE(b.Load(file, "T\xC3\xA9l\xC3\xA9", "\xE2\x98\x83"));
    EXPECT_EQ(b.rows.Count(), 0);
}

TEST(ChannelListTest, FailuresShowTheMessageAndKeepWhatWasListed) {
    TempDir dir;
    const std::string message(kCatalogueMissingMessage);
    Browser b;
    b.combo = {{"All", "Kept"}, "Kept"};

    // A record lacking field 3, of any category.
    auto file =
        WriteCatalogue(dir, {"A|u|TV|English", "B|u|TV|English", "broken|record", "C|u|TV|x"});
    EXPECT_FALSE(b.Load(file, "TV", "All"));
    EXPECT_EQ(b.messages, Names{message});
    EXPECT_EQ(b.RowNames(), (Names{"A", "B"}));
    EXPECT_EQ(b.combo.items, (Names{"All", "Kept"}));
    EXPECT_TRUE(b.state.RefreshLanguageList);

    // Lacking field 4 matters only in the selected category.
    file = WriteCatalogue(dir, {"A|u|TV|English", "R|u|Radio", "B|u|TV"});
    b.messages.clear();
    EXPECT_FALSE(b.Load(file, "TV", "English"));
    EXPECT_EQ(b.RowNames(), Names{"A"});
    EXPECT_EQ(b.messages.size(), 1u);
    b.messages.clear();
    file = WriteCatalogue(dir, {"A|u|TV|English", "R|u|Radio"});
    EXPECT_TRUE(b.Load(file, "TV", "All"));
    EXPECT_TRUE(b.messages.empty());

    // Missing file and a folder: the list is emptied first.
    EXPECT_FALSE(b.Load(dir / "missing.txt", "TV", "All"));
    EXPECT_EQ(b.rows.Count(), 0);
    EXPECT_FALSE(b.Load(dir.Path(), "TV", "All"));
    EXPECT_EQ(b.messages, (Names{message, message}));
    EXPECT_TRUE(b.state.RefreshLanguageList);
}

TEST(ChannelListTest, OnlyARegularFileIsReadAsTheCatalogue) {
    // A pipe would block for a writer, /dev/zero would be read until memory runs out.
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "Data.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "Zero.txt");
    std::filesystem::create_symlink("/dev/null", dir / "Null.txt");
    const std::string message(kCatalogueMissingMessage);
    for (const char* name : {"Data.txt", "Zero.txt", "Null.txt"}) {
        Browser b;
        EXPECT_FALSE(b.Load(dir / name, "TV", "All")) << name;
        EXPECT_EQ(b.messages, Names{message}) << name;
        ListRows rows;
        std::vector<std::string> messages;
        EXPECT_EQ(LoadFullCatalogue(dir / name, rows,
                                    [&](const std::string& m) { messages.push_back(m); }),
                  -1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("not a regular file"), std::string::npos) << messages[0];
    }
    // A link to a regular catalogue is still read.
    std::filesystem::remove(dir / "Data.txt");
    const auto real = WriteCatalogue(dir, {"A|u|TV|x"});
    std::filesystem::create_symlink(real, dir / "Link.txt");
    Browser b;
    EXPECT_TRUE(b.Load(dir / "Link.txt", "TV", "All"));
    EXPECT_EQ(b.RowNames(), Names{"A"});
}

TEST(ChannelListTest, LineEndsAndHugeLinesAreReadAsWindowsDoes) {
    TempDir dir;
    // A lone CR ends a line, a lone LF does not; no end after the last line is fine; a
    // line of 5 MB holds its channel whole.
    const std::string huge(5 << 20, 'h');
    const std::string bytes =
        EncodeLine("A|u|TV|x") + "\r" + EncodeLine("B|u|TV|x") + "\n" + EncodeLine("|C|u|TV|y") +
        "\r\n" + EncodeLine("Big|" + huge + "|TV|x") + "\r\n\r\n" + EncodeLine("D|u|TV|z");
    const auto file = dir.Write("Data.txt", bytes);
    Browser b;
    ASSERT_TRUE(b.Load(file, "TV", "All"));
    ASSERT_EQ(b.rows.Count(), 4);
    EXPECT_EQ(b.rows.At(1).SubItem(2), "x");
    // The lone LF stayed inside the line and was decoded with it (10 -> 201).
    EXPECT_EQ(b.rows.At(2).text, "B");
    EXPECT_EQ(b.rows.At(2).SubItem(2), "x\xC3\x89");
    EXPECT_EQ(b.rows.At(3).tag, huge);
    EXPECT_EQ(b.rows.At(4).text, "D");
}

TEST(ChannelListTest, FieldsSplitAtEverySeparatorWhereverItFalls) {
    // Separators at every place of lines up to 150 bytes, across the 16- and 64-byte steps,
    // sparser in longer lines so their later fields are reached too. The same lines in a
    // file, walked by both record scans, split the same way across the read buffer's edges,
    // one of which falls between a CR and its LF.
    std::mt19937 random(5);
    std::vector<std::string> lines;
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> expected;  // offset, size
    std::string file;
    for (std::size_t length = 0; length <= 150; ++length) {
        for (int round = 0; round < 200; ++round) {
            std::string line(length, 'a');
            for (auto& c : line) {
                if (random() % (2 + length / 8) == 0)
                    c = '|';
            }
            auto& fields = expected.emplace_back();
            std::size_t start = 0;
            for (std::size_t at = line.find('|'); at != std::string::npos && fields.size() < 4;
                 at = line.find('|', start)) {
                fields.emplace_back(start, at - start);
                start = at + 1;
            }
            if (!fields.empty() && fields.size() < 4)
                fields.emplace_back(start, line.size() - start);
            file += EncodeLine(line) + (random() % 2 ? "\r\n" : "\r");
            lines.push_back(std::move(line));
            // A CR LF split by the first read's end, on purpose: the line before ends there.
            if (file.size() < detail::kLineWalkChunk &&
                file.size() + 200 >= detail::kLineWalkChunk) {
                const std::size_t edge = detail::kLineWalkChunk - 1 - file.size();
                expected.emplace_back();
                file += EncodeLine(std::string(edge, 'a')) + "\r\n";
                lines.emplace_back(edge, 'a');
            }
        }
    }
    const auto check = [&](std::size_t index, const char* line, const RecordFields& fields) {
        const auto& want = expected[index];
        ASSERT_EQ(static_cast<std::size_t>(fields.count), want.size()) << lines[index];
        for (std::size_t k = 0; k < want.size(); ++k) {
            EXPECT_EQ(fields.field[k].data(), line + want[k].first) << lines[index];
            EXPECT_EQ(fields.field[k].size(), want[k].second) << lines[index];
        }
    };
    for (std::size_t i = 0; i < lines.size(); ++i)
        check(i, lines[i].data(), SplitRecordFields(lines[i]));

    ASSERT_EQ(file.substr(detail::kLineWalkChunk - 1, 2), "\r\n");
    TempDir dir;
    const auto path = dir.Write("Data.txt", file);
    for (const RecordScan scan : {RecordScan::Fastest, RecordScan::Portable}) {
        std::size_t walked = 0;
        const auto read = ForEachEncodedRecord(
            path,
            [&](std::size_t number, char* line, std::size_t size, const RecordFields& fields) {
                EXPECT_EQ(number, walked + 1);
                EXPECT_EQ(std::string_view(line, size), EncodeLine(lines[walked]));
                check(walked++, line, fields);
                return !::testing::Test::HasFatalFailure();
            },
            scan);
        EXPECT_EQ(read.status, CatalogueReadStatus::Completed);
        EXPECT_EQ(walked, lines.size());
    }
}

TEST(ChannelListTest, GarbageNeverCrashes) {
    TempDir dir;
    std::mt19937 random(11);
    std::string bytes(1 << 20, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(random());
    // NUL bytes, plain and encoded separators and long runs without a line end.
    bytes += std::string(300000, '\0') + std::string(70000, '\xBC') + "\r\r\n\n";
    const auto file = dir.Write("Data.txt", bytes);
    for (const char* category : {"TV", "\xC3\xBF"}) {
        Browser b;
        b.Load(file, category, "All");
        b.Load(file, category, "x");
        EXPECT_LE(b.messages.size(), 2u);
        for (const auto& m : b.messages)
            EXPECT_EQ(m, kCatalogueMissingMessage);
    }
}

}  // namespace
}  // namespace quorvel
