#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "CatalogueTestFiles.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/Favorites.h"

namespace quorvel {
namespace {

using test::EncodeCatalogue;
using test::TempDir;
using Names = std::vector<std::string>;

ListRow Row(std::string text, std::string tag, std::string category, std::string type) {
    return ListRow{std::move(text), std::move(tag), {std::move(category), std::move(type)}};
}

// The program's files live in the test's folder while it runs.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::filesystem::path& folder) : m_old(ApplicationFolder()) {
        SetApplicationFolder(folder);
    }
    ~ProgramFolder() { SetApplicationFolder(m_old); }

private:
    std::filesystem::path m_old;
};

TEST(Favorites, ReadsRecordsAsTheyStandAndSkipsLinesWithoutSeparator) {
    TempDir dir;
    dir.Write("favorites.TXT", EncodeCatalogue({"", "no record here", "A|http://a|TV|English|extra",
                                                "Caf\xC3\xA9|http://c|Radio|Fran\xC3\xA7"
                                                "ais",
                                                "Short|http://s", "Bar||http://b|TV|x"}));
    const ProgramFolder folder(dir.Path());
    const auto read = ReadFavorites();
    EXPECT_TRUE(read.error.empty());
    ASSERT_EQ(read.rows.size(), 4u);
    EXPECT_EQ(read.rows[0].text, "A");
    EXPECT_EQ(read.rows[0].tag, "http://a");
    EXPECT_EQ(read.rows[0].subItems, (Names{"TV", "English"}));
    EXPECT_EQ(read.rows[1].text, "Caf\xC3\xA9");
    EXPECT_EQ(read.rows[1].subItems, (Names{"Radio",
                                            "Fran\xC3\xA7"
                                            "ais"}));
    // Too few fields load with the rest empty.
    EXPECT_EQ(read.rows[2].subItems, (Names{"", ""}));
    // A "|" inside a written field shifts the fields after it when read back.
    EXPECT_EQ(read.rows[3].text, "Bar");
    EXPECT_EQ(read.rows[3].tag, "");
    EXPECT_EQ(read.rows[3].subItems, (Names{"http://b", "TV"}));

    // LoadFavorites appends; the fifth field does not come back on the next save.
    ListRows rows;
    rows.Add(Row("first", "u", "TV", "t"));
    LoadFavorites(rows);
    ASSERT_EQ(rows.Count(), 5);
    EXPECT_EQ(rows.At(2).text, "A");
    std::string error;
    ASSERT_TRUE(SaveFavorites(rows, error)) << error;
    EXPECT_EQ(dir.Read("favorites.TXT"), EncodeCatalogue({"first|u|TV|t", "A|http://a|TV|English",
                                                          "Caf\xC3\xA9|http://c|Radio|Fran\xC3\xA7"
                                                          "ais",
                                                          "Short|http://s||", "Bar||http://b|TV"}));
}

TEST(Favorites, SavingWritesTheRowsInListOrderAndAnEmptyListAsAnEmptyFile) {
    TempDir dir;
    const ProgramFolder folder(dir.Path());
    EXPECT_TRUE(ReadFavorites().rows.empty());  // no file yet: an empty list, no error
    EXPECT_TRUE(ReadFavorites().error.empty());

    ListRows rows;
    rows.Add(Row("Zeta", "http://z", "TV", "English"));
    rows.Add(Row("alpha", "http://a", "Radio", "Deutsch"));
    rows.Add(Row("alpha", "http://a", "Radio", "Deutsch"));
    rows.SetSorted(true);
    std::string error;
    ASSERT_TRUE(SaveFavorites(rows, error)) << error;
    const std::string alpha = EncodeLine("alpha|http://a|Radio|Deutsch") + "\r\n";
    EXPECT_EQ(dir.Read("Favorites.txt"),
              alpha + alpha + EncodeLine("Zeta|http://z|TV|English") + "\r\n");

    // A character the code page cannot hold is stored as "?".
    rows.Clear();
    rows.Add(Row("\xE2\x98\x85 Star", "http://s", "TV", "x"));
    ASSERT_TRUE(SaveFavorites(rows, error));
    EXPECT_EQ(ReadFavorites().rows.at(0).text, "? Star");

    rows.Clear();
    ASSERT_TRUE(SaveFavorites(rows, error));
    EXPECT_TRUE(std::filesystem::exists(dir / "Favorites.txt"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Favorites.txt"), 0u);
}

// A file size limit makes the write fail even for root, where permissions would not.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(Favorites, AFailedSaveKeepsTheOldFileWholeAndSaysWhy) {
    TempDir dir;
    const ProgramFolder folder(dir.Path());
    ListRows rows;
    rows.Add(Row("Kept", "http://k", "TV", "English"));
    std::string error;
    ASSERT_TRUE(SaveFavorites(rows, error));
    const std::string before = dir.Read("Favorites.txt");

    for (int i = 0; i < 200; ++i)
        rows.Add(Row("Channel " + std::to_string(i), "http://c", "TV", "English"));
    {
        const FileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(SaveFavorites(rows, error));
    }
    EXPECT_NE(error.find("Favorites.txt"), std::string::npos) << error;
    EXPECT_EQ(dir.Read("Favorites.txt"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(Favorites, APipeOrDeviceInTheFilesPlaceHoldsNoFavorites) {
    TempDir dir;
    const ProgramFolder folder(dir.Path());
    ASSERT_EQ(::mkfifo((dir / "Favorites.txt").c_str(), 0600), 0);
    EXPECT_TRUE(ReadFavorites().rows.empty());  // and returns at once: nobody writes the pipe
    std::filesystem::remove(dir / "Favorites.txt");
    std::filesystem::create_symlink("/dev/zero", dir / "Favorites.txt");
    EXPECT_TRUE(ReadFavorites().rows.empty());
}

// An Add, or a Remove with nothing selected, saves the whole list: after a failed load that
// list holds none of the file's favorites.
TEST(Favorites, AFileThatFailedToLoadIsNotWrittenOverUntilItReads) {
    TempDir dir;
    const ProgramFolder folder(dir.Path());
    const auto path = dir / "Favorites.txt";
    const std::string old = EncodeCatalogue({"Old|http://old|TV|English"});
    // Another owner's file; root reads every mode, so for root a pipe stands in.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
        dir.Write("Favorites.txt", old);
        ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    }
    FavoritesKeeper keeper;
    ListRows rows;
    std::string error;
    EXPECT_FALSE(keeper.Load(rows, error));
    EXPECT_NE(error.find("Favorites.txt"), std::string::npos) << error;
    EXPECT_FALSE(keeper.ReadyToChange(rows, error));
    EXPECT_FALSE(keeper.Save(rows, error));
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(root ? S_ISFIFO(st.st_mode) : (st.st_mode & 07777) == 0, true);

    // Once it reads, the change goes on top of its favorites.
    if (root) {
        std::filesystem::remove(path);
        dir.Write("Favorites.txt", old);
    } else {
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    }
    ASSERT_TRUE(keeper.ReadyToChange(rows, error)) << error;
    rows.Add(Row("New", "http://new", "Radio", "English"));
    ASSERT_TRUE(keeper.Save(rows, error)) << error;
    EXPECT_EQ(dir.Read("Favorites.txt"),
              EncodeCatalogue({"Old|http://old|TV|English", "New|http://new|Radio|English"}));
}

}  // namespace
}  // namespace quorvel
