#include "playback/TimeshiftStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace quorvel {
namespace {

// The engine's way: a file made in the folder, unlinked at once, appended to.
struct EngineFile {
    explicit EngineFile(const std::filesystem::path& folder) {
        const auto path = folder / "engine-cache.dat";
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

TEST(TimeshiftStore, DiskUseStaysWithinTheCapButWhatIsStillToPlayIsKept) {
    test::TempDir dir;
    dir.Write("left-by-a-crash.dat", "old");
    TimeshiftStore store(dir.Path(), 256 * 1024);
    store.ClearLeftovers();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_FALSE(store.Attach());

    EngineFile engine(dir.Path());
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
    EngineFile next(dir.Path());
    EXPECT_TRUE(store.Attach());
    EXPECT_EQ(store.KeptFrom(), 0);
    EXPECT_EQ(store.FileBytes(), 0);
}

TEST(TimeshiftStore, CapSettingFallsBackOnNonsense) {
    constexpr std::int64_t kMiB = 1024 * 1024;
    EXPECT_EQ(TimeshiftCapBytes("2048"), 2048 * kMiB);
    for (const char* bad : {"", "-5", "1e3", "12 MB", "99999999999999999999"})
        EXPECT_EQ(TimeshiftCapBytes(bad), 1024 * kMiB) << bad;
    EXPECT_EQ(TimeshiftCapBytes("1"), 64 * kMiB);
    EXPECT_EQ(TimeshiftCapBytes("10000000"), 64 * 1024 * kMiB);
}

}  // namespace
}  // namespace quorvel
