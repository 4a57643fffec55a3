#include "appearance/InstanceLock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "ChildProcess.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace quorvel {
namespace {

using test::ScopedEnv;
using test::TempDir;

int Probe(const std::string& name, const char* mode = nullptr) {
    std::vector<std::string> args{name};
    if (mode)
        args.emplace_back(mode);
    return test::RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "instance_lock_probe", args)
        .exitStatus;
}

TEST(InstanceLock, ASecondProcessSeesTheFirstUntilItLetsGoOrDies) {
    TempDir dir;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());
    {
        const InstanceLock first("Quorvel");
        ASSERT_TRUE(first.Held()) << first.Error();
        EXPECT_EQ(first.Path(), dir / "Quorvel.lock");
        EXPECT_EQ(Probe("Quorvel"), 3);
        // Another product name is another program.
        EXPECT_EQ(Probe("Quorvel Reseller"), 0);
    }
    EXPECT_EQ(Probe("Quorvel"), 0);

    // A holder that is killed leaves the lock file but not the lock.
    EXPECT_EQ(Probe("Quorvel", "die"), -1);
    EXPECT_TRUE(std::filesystem::exists(dir / "Quorvel.lock"));
    EXPECT_TRUE(InstanceLock("Quorvel").Held());
}

TEST(InstanceLock, TheStartUpCheckKeepsTheLockForTheProcess) {
    TempDir dir;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());
    ReleaseInstanceLock();
    {
        const InstanceLock other("Quorvel");
        EXPECT_TRUE(PreviousInstanceRunning("Quorvel"));
    }
    EXPECT_FALSE(PreviousInstanceRunning("Quorvel"));
    EXPECT_FALSE(PreviousInstanceRunning("Quorvel"));  // asking again is not another instance
    EXPECT_EQ(Probe("Quorvel"), 3);
    ReleaseInstanceLock();
    EXPECT_EQ(Probe("Quorvel"), 0);
}

TEST(InstanceLock, WithoutARuntimeFolderAPrivateFolderUnderTmpIsUsed) {
    TempDir dir;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnv tmp("TMPDIR", dir.Path().c_str());
    const auto folder = dir / ("quorvel-" + std::to_string(::geteuid()));
    {
        const InstanceLock lock("Say \"Hi\"/TV");
        ASSERT_TRUE(lock.Held()) << lock.Error();
        EXPECT_EQ(lock.Path(), folder / "Say__Hi__TV.lock");
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(Probe("Say \"Hi\"/TV"), 3);
    }
    // A folder others may write, or a link planted in its place, is not used.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(dir / "elsewhere");
    std::filesystem::create_symlink(dir / "elsewhere", folder);
    const InstanceLock linked("Quorvel");
    EXPECT_EQ(linked.State(), InstanceLockState::Unavailable);
    EXPECT_FALSE(linked.Error().empty());
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    EXPECT_EQ(InstanceLock("Quorvel").State(), InstanceLockState::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere/Quorvel.lock"));
}

}  // namespace
}  // namespace quorvel
