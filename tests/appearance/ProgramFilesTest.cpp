#include "appearance/ProgramFiles.h"

#include "ChildProcess.h"
#include "ScopedEnv.h"
#include "TempDir.h"
#include "files/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

// Keeps the other tests of this program on their default folder.
class ProgramFiles : public ::testing::Test {
protected:
    ~ProgramFiles() override { SetApplicationFolder("."); }
};

fs::perms ModeOf(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

bool Write(const fs::path& path, std::string_view bytes) {
    std::string error;
    return WriteFileAtomically(path, bytes, error);
}

TEST_F(ProgramFiles, PortableFolderKeepsEveryFileBesideTheProgram) {
    TempDir app;
    TempDir data;
    ScopedEnv env;
    env.Set("XDG_DATA_HOME", data.Path().string());
    app.Write("data.TXT", "shipped");
    data.Write("quorvel/Data.txt", "elsewhere");

    SetApplicationFolder(app.Path());
    EXPECT_EQ(CurrentFilesLayout(), FilesLayout::Portable);
    EXPECT_EQ(ProgramFileToRead("Data.txt"), app / "data.TXT");
    EXPECT_EQ(ProgramFileToWrite("Data.txt"), app / "data.TXT");
    EXPECT_EQ(ProgramFileToWrite("Favorites.txt"), app / "Favorites.txt");
    EXPECT_EQ(ProgramFileToRead("Help.chm"), app / "Help.chm");

    // Tests and callers reset with an empty folder: that is the current one, not a system one.
    SetApplicationFolder({});
    EXPECT_EQ(CurrentFilesLayout(), LayoutOfFolder("."));
}

TEST_F(ProgramFiles, InstalledFolderWritesToPrivateUserFolderAndReadsItFirst) {
    // The marker decides even for root, who could write the folder.
    TempDir app;
    TempDir home;
    ScopedEnv env;
    env.Set("XDG_DATA_HOME", (home / "xdg").string());
    app.Write(std::string(kInstalledMarker), "");
    app.Write("Data.txt", "shipped");
    app.Write("Help.chm", "help");
    app.Write("admin.txt", "");

    SetApplicationFolder(app.Path());
    ASSERT_EQ(CurrentFilesLayout(), FilesLayout::Installed);
    const fs::path user = home / "xdg" / "quorvel";
    EXPECT_EQ(UserFilesFolder(), user);
    EXPECT_EQ(ProgramFileToRead("Data.txt"), app / "Data.txt");
    EXPECT_EQ(ProgramFileToRead("Favorites.txt"), user / "Favorites.txt");
    EXPECT_FALSE(fs::exists(home / "xdg")) << "reading never creates the user folder";

    ASSERT_TRUE(Write(ProgramFileToWrite("Data.txt"), "updated"));
    EXPECT_EQ(ModeOf(home / "xdg"), fs::perms::owner_all);
    EXPECT_EQ(ModeOf(user), fs::perms::owner_all);
    EXPECT_EQ(ProgramFileToRead("DATA.TXT"), user / "Data.txt");
    EXPECT_EQ(app.Read("Data.txt"), "shipped");

    // admin.txt and the help file are looked for in both places, the user's first.
    EXPECT_EQ(ProgramFileToRead("admin.txt"), app / "admin.txt");
    EXPECT_EQ(ProgramFileToRead("help.chm"), app / "Help.chm");
    home.Write("xdg/quorvel/Admin.TXT", "");
    EXPECT_EQ(ProgramFileToRead("admin.txt"), user / "Admin.TXT");
    EXPECT_EQ(ProgramFileToWrite("ADMIN.txt"), user / "Admin.TXT");
}

TEST_F(ProgramFiles, UserFolderFollowsXdgRulesAndAnUnusableOneIsReported) {
    TempDir app;
    TempDir home;
    ScopedEnv env;
    env.Set("HOME", home.Path().string());
    app.Write(std::string(kInstalledMarker), "");
    SetApplicationFolder(app.Path());

    const fs::path fallback = home / ".local" / "share" / "quorvel";
    for (const char* ignored : {"", "relative/data"}) {
        env.Set("XDG_DATA_HOME", ignored);
        EXPECT_EQ(UserFilesFolder(), fallback) << '"' << ignored << '"';
    }

    // A data home that is a file: the write fails with a reason, the shipped folder is untouched.
    home.Write("blocked", "");
    env.Set("XDG_DATA_HOME", (home / "blocked").string());
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(ProgramFileToWrite("Favorites.txt"), "x", error));
    EXPECT_NE(error.find("Favorites.txt"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(app / "Favorites.txt"));
}

TEST_F(ProgramFiles, InstalledExecutableFindsItsDataFolder) {
    TempDir prefix;
    fs::create_directories(prefix / "bin");
    prefix.Write("share/quorvel/Data.txt", "");
    EXPECT_EQ(ApplicationFolderFor(prefix / "bin"), prefix / "bin") << "no marker: portable";
    prefix.Write("share/quorvel/.installed", "");
    EXPECT_EQ(ApplicationFolderFor(prefix / "bin"), prefix / "share" / "quorvel");
}

// Run as an unprivileged user by the test below; skipped in an ordinary run.
TEST_F(ProgramFiles, ChildUnwritableFolderSendsWritesHome) {
    const char* folder = std::getenv("QUORVEL_TEST_UNWRITABLE_APP");
    if (!folder)
        GTEST_SKIP() << "started by UnwritableFolderSendsWritesHomeForAnUnprivilegedUser";
    const fs::path app = folder;
    SetApplicationFolder(app);
    ASSERT_EQ(CurrentFilesLayout(), FilesLayout::Installed);
    EXPECT_EQ(ProgramFileToRead("Data.txt"), app / "Data.txt");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(app / "Favorites.txt", "x", error)) << "folder is writable";
    EXPECT_TRUE(WriteFileAtomically(ProgramFileToWrite("Favorites.txt"), "mine", error)) << error;
}

TEST_F(ProgramFiles, UnwritableFolderSendsWritesHomeForAnUnprivilegedUser) {
    TempDir root;
    const fs::path app = root / "app";
    const fs::path home = root / "home";
    root.Write("app/Data.txt", "shipped");
    fs::create_directories(home);
    std::vector<std::string> args;
    if (::geteuid() == 0) {
        // Root writes anywhere: the child drops to nobody, who may only write its home.
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "setpriv is not installed";
        fs::permissions(root.Path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
        ASSERT_EQ(::chown(home.c_str(), 65534, 65534), 0);
        args = {"--reuid=65534", "--regid=65534", "--clear-groups", "--", "/usr/bin/env"};
    } else {
        fs::permissions(app, fs::perms::owner_write, fs::perm_options::remove);
    }
    args.insert(args.end(),
                {"QUORVEL_TEST_UNWRITABLE_APP=" + app.string(), "XDG_DATA_HOME=" + home.string(),
                 fs::read_symlink("/proc/self/exe").string(),
                 "--gtest_filter=ProgramFiles.ChildUnwritableFolderSendsWritesHome"});
    const fs::path program = ::geteuid() == 0 ? "/usr/bin/setpriv" : "/usr/bin/env";
    const test::ProcessResult child = test::RunProcess(program, args);
    if (child.exitStatus == 126)
        GTEST_SKIP() << "the test program cannot be run as nobody: " << child.err;
    ASSERT_EQ(child.exitStatus, 0) << child.out << child.err;
    EXPECT_EQ(child.out.find("SKIPPED ]"), std::string::npos) << child.out;
    EXPECT_EQ(root.Read("home/quorvel/Favorites.txt"), "mine");
    EXPECT_EQ(ModeOf(home / "quorvel"), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(app / "Favorites.txt"));
}

}  // namespace
}  // namespace quorvel
