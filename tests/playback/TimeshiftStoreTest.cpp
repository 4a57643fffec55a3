#include "playback/TimeshiftStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <string>

namespace quorvel {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

// The engine's way: a file made in the folder, unlinked at once, appended to.
struct EngineFile {
    explicit EngineFile(const std::filesystem::path& folder) {
        const auto path = folder / "mpv-cache-Ab12Cd.dat";
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ::unlink(path.c_str());
    }
    ~EngineFile() { ::close(fd); }
    void Append(std::size_t bytes, char fill) {
        const std::string chunk(bytes, fill);
        ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), ssize_t(chunk.size()));
    }
    char At(off_t offset) const {
        char c = 0;
        return ::pread(fd, &c, 1, offset) == 1 ? c : '?';
    }
    int fd = -1;
};

mode_t Mode(const std::filesystem::path& path) {
    struct stat st = {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(TimeshiftStore, DiskUseStaysWithinTheCapButWhatIsStillToPlayIsKept) {
    // The cache folder is reached through a link, as with a linked home or cache folder.
    test::TempDir dir;
    std::filesystem::create_directories(dir / "real/timeshift");
    std::filesystem::create_directory_symlink(dir / "real", dir / "via");
    const auto folder = dir / "via/timeshift";
    dir.Write("real/timeshift/mpv-cache-x1Y2z3.dat", "left by a crash");
    dir.Write("real/timeshift/notes.txt", "not the engine's");
    ::chmod((dir / "real/timeshift").c_str(), 0755);
    TimeshiftStore store(folder, 256 * 1024);
    ASSERT_TRUE(store.Usable());
    EXPECT_EQ(Mode(dir / "real/timeshift"), 0700u);
    store.ClearLeftovers();
    EXPECT_FALSE(std::filesystem::exists(folder / "mpv-cache-x1Y2z3.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
    EXPECT_FALSE(store.Attach());

    EngineFile engine(folder);
    ASSERT_TRUE(store.Attach());
    engine.Append(1024 * 1024, 'a');

    // Paused near the start: what lies ahead of the play position stays, cap or not.
    EXPECT_EQ(store.Trim(100 * 1000), 98304);
    EXPECT_EQ(engine.At(98304), 'a');
    EXPECT_EQ(engine.At(0), '\0');

    EXPECT_EQ(store.Trim(1024 * 1024), 768 * 1024);
    EXPECT_LE(store.DiskBytes(), 256 * 1024 + 4096);
    EXPECT_EQ(store.FileBytes(), 1024 * 1024);
    EXPECT_EQ(engine.At(768 * 1024), 'a');

    // A second stream's file replaces the first in the store's care.
    EngineFile next(folder);
    EXPECT_TRUE(store.Attach());
    EXPECT_EQ(store.KeptFrom(), 0);
    EXPECT_EQ(store.FileBytes(), 0);
}

TEST(TimeshiftStore, AFolderThatIsALinkOrAnotherUsersIsLeftAsItIs) {
    test::TempDir dir;
    const auto documents = dir / "Documents";
    std::filesystem::create_directory(documents);
    dir.Write("Documents/letter.txt", "dear");
    dir.Write("Documents/mpv-cache-Ab12Cd.dat", "named like the engine's");
    ::chmod(documents.c_str(), 0755);
    std::filesystem::create_directory_symlink(documents, dir / "timeshift");

    TimeshiftStore linked(dir / "timeshift", 256 * 1024);
    EXPECT_EQ(linked.Refused(), TimeshiftStore::Refusal::Link);
    linked.ClearLeftovers();
    EXPECT_EQ(linked.EngineFolder(), "");
    EXPECT_EQ(dir.Read("Documents/letter.txt"), "dear");
    EXPECT_EQ(dir.Read("Documents/mpv-cache-Ab12Cd.dat"), "named like the engine's");
    EXPECT_EQ(Mode(documents), 0755u);

    // Only root can give a folder away.
    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder of another user needs root to make";
    ASSERT_EQ(::chown(documents.c_str(), 65534, 65534), 0);
    TimeshiftStore theirs(documents, 256 * 1024);
    EXPECT_EQ(theirs.Refused(), TimeshiftStore::Refusal::OtherOwner);
    theirs.ClearLeftovers();
    EXPECT_EQ(dir.Read("Documents/mpv-cache-Ab12Cd.dat"), "named like the engine's");
    EXPECT_EQ(Mode(documents), 0755u);
}

TEST(TimeshiftStore, AReserveStaysFreeAndAShortDiskKeepsLess) {
    constexpr std::int64_t kGiB = 1024 * kMiB;
    const struct {
        std::int64_t total;
        std::int64_t reserve;
    } reserves[] = {
        {4096 * kGiB, 4 * kGiB},  // 5% would be 204 GiB
        {80 * kGiB, 4 * kGiB},           {40 * kGiB, 2 * kGiB},
        {5 * kGiB + 20, 256 * kMiB + 1}, {5 * kGiB, 256 * kMiB},
        {1 * kGiB, 256 * kMiB},          {1 * kGiB - 4, 256 * kMiB - 1},  // a quarter
        {20 * kMiB, 5 * kMiB},           {0, 0},
    };
    for (const auto& row : reserves)
        EXPECT_EQ(TimeshiftReserve(row.total), row.reserve) << row.total;

    const std::int64_t cap = 1 * kGiB;
    const std::int64_t reserve = 2 * kGiB;  // of 40 GiB
    const struct {
        std::int64_t kept;
        std::int64_t available;
        std::int64_t budget;
    } budgets[] = {
        {0, 10 * kGiB, cap},
        {0, reserve + cap, cap},
        {0, reserve + cap - 1, cap - 1},
        {100 * kMiB, reserve + 200 * kMiB, 300 * kMiB},
        {100 * kMiB, reserve, 100 * kMiB},
        {0, reserve + 1, 1},
        {0, reserve, 0},
        {0, 0, 0},
    };
    for (const auto& row : budgets) {
        EXPECT_EQ(TimeshiftBudget(cap, row.kept, {40 * kGiB, row.available}), row.budget)
            << row.kept << " " << row.available;
    }
}

// A small file system of its own: mounting one needs root.
TEST(TimeshiftStore, OnASmallFileSystemTheReserveStaysFree) {
    test::TempDir dir;
    if (::mount("tmpfs", dir.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=16m") != 0)
        GTEST_SKIP() << "mounting a file system needs root";
    {
        TimeshiftStore store(dir / "timeshift", 64 * kMiB);
        EngineFile engine(dir / "timeshift");
        ASSERT_TRUE(store.Attach());
        engine.Append(14 * kMiB, 'a');
        store.Trim(14 * kMiB);
        EXPECT_TRUE(store.DiskShort());
        EXPECT_LE(store.Budget(), 12 * kMiB);
        struct statvfs fs = {};
        ASSERT_EQ(::statvfs(dir.Path().c_str(), &fs), 0);
        EXPECT_GE(std::int64_t(fs.f_bavail * fs.f_frsize), TimeshiftReserve(16 * kMiB));
        EXPECT_EQ(engine.At(14 * kMiB - 1), 'a');
    }
    ::umount2(dir.Path().c_str(), MNT_DETACH);
}

TEST(TimeshiftStore, CapSettingFallsBackOnNonsense) {
    EXPECT_EQ(TimeshiftCapBytes("2048"), 2048 * kMiB);
    for (const char* bad : {"", "-5", "1e3", "12 MB", "99999999999999999999"})
        EXPECT_EQ(TimeshiftCapBytes(bad), 1024 * kMiB) << bad;
    EXPECT_EQ(TimeshiftCapBytes("1"), 64 * kMiB);
    EXPECT_EQ(TimeshiftCapBytes("10000000"), 64 * 1024 * kMiB);
}

}  // namespace
}  // namespace quorvel
