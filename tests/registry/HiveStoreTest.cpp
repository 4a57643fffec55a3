#include "ScopedHives.h"
#include "files/FileIo.h"
#include "registry/HiveFile.h"
#include "registry/HiveLocations.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

using reg::Registry;
using Names = std::vector<std::string>;

// Runs `work` in a child process with its own connections; returns the child's id.
template <typename Fn>
pid_t Spawn(Fn work) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work() ? 0 : 1);
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Long enough to span several writes of the file, short enough for the 255-character reader.
std::string Padded(const std::string& head) {
    return head + std::string(200, '.');
}

TEST(HiveStore, TwoProcessesWritingAtOnceLoseNothing) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    ASSERT_NE(reg.CreateKey("HKCU\\Software\\Both"), 0);
    ASSERT_NE(reg.CreateKey("HKLM\\SOFTWARE\\Both"), 0);
    Registry::Process().CloseHives();  // a connection must never cross a fork

    constexpr int kWrites = 80;
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        writers.push_back(Spawn([w] {
            Registry::Process().SetLockWait(reg::kToolLockWait);
            clsRegistryAccess mine;
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
                const std::string root = i % 2 ? "HKCU\\Software\\Both" : "HKLM\\SOFTWARE\\Both";
                ok = mine.WriteString(root, name, Padded(name)) != 0 && ok;
                ok = mine.WriteDWORD(root + "\\Sub" + std::to_string(i % 5), name, i) != 0 && ok;
            }
            return ok;
        }));
    }
    for (pid_t pid : writers)
        EXPECT_EQ(WaitFor(pid), 0);

    for (const std::string root : {"HKCU\\Software\\Both", "HKLM\\SOFTWARE\\Both"}) {
        Names names;
        std::vector<clsRegistryAccess::Value> values;
        EXPECT_EQ(reg.EnumValues(root, names, values), kWrites);
        Names keys;
        EXPECT_EQ(reg.EnumKeys(root, keys), 5);
        int numbers = 0;
        for (const std::string& key : keys)
            numbers += reg.EnumValues(root + "\\" + key, names, values);
        EXPECT_EQ(numbers, kWrites);
    }
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
            const std::string root = i % 2 ? "HKCU\\Software\\Both" : "HKLM\\SOFTWARE\\Both";
            EXPECT_EQ(reg.ReadBinary(root, name, ""),
                      clsRegistryAccess::BinToStr(Padded(name) + '\0').substr(1));
        }
    }
}

bool IntegrityOk(const std::filesystem::path& hive) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    const bool ok =
        sqlite3_step(stmt) == SQLITE_ROW &&
        std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) == "ok";
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ok;
}

// A child that stops itself just before its Nth commit and says so through a pipe, so the
// parent kills it at a known point and never races it.
int g_stopPipe = -1;
int g_commitsLeft = 0;
int StopBeforeCommit(void*) {
    if (--g_commitsLeft == 0) {
        const char byte = 'k';
        (void)!::write(g_stopPipe, &byte, 1);
        ::raise(SIGSTOP);
    }
    return 0;
}

template <typename Fn>
void KillAtCommit(int commit, Fn work) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = Spawn([&] {
        ::close(fds[0]);
        g_stopPipe = fds[1];
        g_commitsLeft = commit;
        reg::HiveFile::SetCommitHook(StopBeforeCommit);
        return work();
    });
    ::close(fds[1]);
    char byte = 0;
    const bool stopped = ::read(fds[0], &byte, 1) == 1;
    ::close(fds[0]);
    ::kill(child, SIGKILL);
    EXPECT_TRUE(stopped) << "the child ended before that commit";
    EXPECT_EQ(WaitFor(child), -1);
}

// An import killed as its 21st section is about to commit: the values of the 20 before are
// new, the rest old, and no value or section is half-written.
void KillImportHalfWay(const std::string& key, const std::filesystem::path& hive,
                       const test::TempDir& dir) {
    constexpr int kValues = 60;  // overwritten by the import, each first in a section
    constexpr int kEvery = 4;    // the lines of a section; the others are new byte values
    constexpr int kDone = 20;
    clsRegistryAccess reg;
    std::string file = "REGEDIT4\r\n\r\n";
    for (int i = 0; i < kValues; ++i) {
        const std::string name = "v" + std::to_string(i);
        ASSERT_NE(reg.WriteString(key, name, Padded("old" + std::to_string(i))), 0);
    }
    for (int line = 0; line < kValues * kEvery; ++line) {
        if (line % kEvery == 0) {
            const std::string i = std::to_string(line / kEvery);
            file += "[" + key + "]\r\n\"v" + i + "\"=\"" + Padded("new" + i) + "\"\r\n";
        } else {
            file += "\"b" + std::to_string(line) + "\"=hex:" + std::string(400, '7') + "\r\n";
        }
    }
    const auto regFile = dir.Write("long.reg", file);
    Registry::Process().CloseHives();

    // Each section of the file is one commit.
    KillAtCommit(kDone + 1, [&] {
        clsRegistryAccess importer;
        return importer.ImportFromReg(regFile) == 1;
    });

    EXPECT_TRUE(IntegrityOk(hive));
    for (int i = 0; i < kValues; ++i) {
        const std::string age = i < kDone ? "new" : "old";
        EXPECT_EQ(reg.ReadString(key, "v" + std::to_string(i), ""), Padded(age + std::to_string(i)))
            << i;
    }
    const std::string whole = clsRegistryAccess::BinToStr(std::string(200, 'w')).substr(1);
    for (int line = 0; line < kValues * kEvery; ++line) {
        if (line % kEvery == 0)
            continue;
        const std::string bytes = reg.ReadBinary(key, "b" + std::to_string(line), "none");
        EXPECT_EQ(bytes, line < kDone * kEvery ? whole : "none") << line;
    }
    // And the hive takes writes again.
    EXPECT_NE(reg.WriteString(key, "after", "1"), 0);
    EXPECT_EQ(reg.ReadString(key, "after", ""), "1");
}

TEST(HiveStore, KilledImportLeavesEachValueOldOrNew) {
    test::ScopedHives hives;
    KillImportHalfWay("HKEY_CURRENT_USER\\Software\\Kill", hives.UserHive(), hives.Dir());
    KillImportHalfWay("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kill", hives.MachineHive(), hives.Dir());
}

void SetMode(const std::filesystem::path& path, std::filesystem::perms perms) {
    std::filesystem::permissions(path, perms);
}
constexpr auto kReadOnlyFile = std::filesystem::perms::owner_read |
                               std::filesystem::perms::group_read |
                               std::filesystem::perms::others_read;
constexpr auto kReadOnlyFolder = kReadOnlyFile | std::filesystem::perms::owner_exec |
                                 std::filesystem::perms::group_exec |
                                 std::filesystem::perms::others_exec;

std::string JournalMode(const std::filesystem::path& hive) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr);
    std::string mode;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return mode;
}

// With a write-ahead log a reader needs a writable folder, and a read-only spell left a
// shared-memory file that locked every later writer out.
TEST(HiveStore, UserHiveIsReadableReadOnlyAndWritableAgainAfterwards) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKCU\\Software\\Quorvel\\Settings";
    ASSERT_NE(reg.WriteString(key, "TVLang", "Deutsch"), 0);
    // A hive left with a write-ahead log by an earlier version is turned back on first write.
    Registry::Process().CloseHives();
    sqlite3* db = nullptr;
    sqlite3_open(hives.UserHive().c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(JournalMode(hives.UserHive()), "wal");
    ASSERT_NE(reg.WriteString(key, "RadioLang", "Dansk"), 0);
    Registry::Process().CloseHives();
    EXPECT_NE(JournalMode(hives.UserHive()), "wal");

    SetMode(hives.UserHive(), kReadOnlyFile);
    SetMode(hives.Dir().Path(), kReadOnlyFolder);
    EXPECT_EQ(reg.ReadString(key, "TVLang", ""), "Deutsch");
    EXPECT_EQ(reg.WriteString(key, "TVLang", "Suomi"), 0);
    SetMode(hives.Dir().Path(), std::filesystem::perms::owner_all);
    SetMode(hives.UserHive(), kReadOnlyFile | std::filesystem::perms::owner_write);
    EXPECT_NE(reg.WriteString(key, "TVLang", "Suomi"), 0);
    EXPECT_EQ(reg.ReadString(key, "TVLang", ""), "Suomi");
    for (const char* suffix : {"-wal", "-shm"}) {
        EXPECT_FALSE(std::filesystem::exists(hives.UserHive().string() + suffix)) << suffix;
    }
}

// An administrator's write killed half-way leaves a journal that only a writer can roll
// back: a user who cannot write is told so, and the file is whole again after the repair.
TEST(HiveStore, WriteKilledHalfWayIsExplainedToReadersWhoCannotRepairIt) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = "HKLM\\SOFTWARE\\Vendor\\Quorvel\\Settings";
    ASSERT_NE(reg.WriteString(key, "chkSplash", "1"), 0);
    Registry::Process().CloseHives();

    // So many changes in one transaction that they reach the file before the commit.
    KillAtCommit(1, [&] {
        sqlite3* raw = nullptr;
        sqlite3_open(hives.MachineHive().c_str(), &raw);
        sqlite3_commit_hook(raw, StopBeforeCommit, nullptr);
        sqlite3_exec(raw, "PRAGMA cache_size=10; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int i = 0; i < 200; ++i) {
            const std::string sql = "INSERT INTO key_values VALUES(1, 'b" + std::to_string(i) +
                                    "', 'B" + std::to_string(i) + "', 3, randomblob(4000), " +
                                    std::to_string(100 + i) + ")";
            sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        return true;
    });
    ASSERT_GT(std::filesystem::file_size(hives.MachineHive().string() + "-journal"), 0u);

    SetMode(hives.MachineHive(), kReadOnlyFile);
    EXPECT_EQ(reg.ReadString(key, "chkSplash", "dflt"), "dflt");
    EXPECT_NE(Registry::Process().LastError().find("interrupted half-way"), std::string::npos)
        << Registry::Process().LastError();
    SetMode(hives.MachineHive(), kReadOnlyFile | std::filesystem::perms::owner_write);
    EXPECT_EQ(reg.ReadString(key, "chkSplash", "dflt"), "1");
    Registry::Process().CloseHives();
    EXPECT_TRUE(IntegrityOk(hives.MachineHive()));
    Names names;
    std::vector<clsRegistryAccess::Value> values;
    EXPECT_EQ(reg.EnumValues("HKLM", names, values), 0);
}

// A settings call waits only briefly for another program's lock, then fails as busy and
// says so; the lock gone, it works again.
TEST(HiveStore, LockedHiveFailsSoonWithAReason) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    ASSERT_NE(reg.WriteString("HKCU\\Software\\Q", "a", "1"), 0);
    sqlite3* other = nullptr;
    sqlite3_open(hives.UserHive().c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(reg.WriteString("HKCU\\Software\\Q", "a", "2"), 0);
    EXPECT_NE(Registry::Process().LastError().find("locked"), std::string::npos)
        << Registry::Process().LastError();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_NE(reg.WriteString("HKCU\\Software\\Q", "a", "2"), 0);
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Q", "a", ""), "2");
}

std::vector<std::filesystem::path> SetAsideFiles(const test::TempDir& dir) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        if (entry.path().filename().string().rfind("user.hive.damaged-", 0) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST(HiveStore, DamagedUserHiveIsKeptAsideAndTheProgramStartsAfresh) {
    test::ScopedHives hives;
    const std::string garbage(5000, 'G');
    hives.Dir().Write("user.hive", garbage);
    Registry::Process().TakeNotices();
    clsRegistryAccess reg;
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Quorvel\\Settings", "TVLang", "English"), "English");
    const auto aside = SetAsideFiles(hives.Dir());
    ASSERT_EQ(aside.size(), 1u);
    std::string kept, error;
    ASSERT_EQ(ReadFileAtMost(aside[0], 1 << 20, kept, error), FileReadStatus::Read);
    EXPECT_EQ(kept, garbage);
    const Names notices = Registry::Process().TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find(aside[0].string()), std::string::npos);

    EXPECT_NE(reg.WriteString("HKCU\\Software\\Quorvel\\Settings", "TVLang", "Deutsch"), 0);
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Quorvel\\Settings", "TVLang", ""), "Deutsch");

    // The same when the file is damaged while the program holds it open.
    Registry::Process().CloseHives();
    std::filesystem::remove(hives.UserHive());
    hives.Dir().Write("user.hive", "SQLite format 3" + std::string(200, '\x01'));
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Quorvel\\Settings", "TVLang", "English"), "English");
    EXPECT_EQ(SetAsideFiles(hives.Dir()).size(), 2u);
}

TEST(HiveStore, DamagedHivesGiveClearErrorsWhenOnlyReported) {
    test::ScopedHives hives;
    Registry::Process().SetDamagedUserHivePolicy(reg::DamagedHivePolicy::Report);
    clsRegistryAccess reg;

    // A real hive cut in half, a foreign database and plain text.
    for (int i = 0; i < 25; ++i) {
        reg.WriteString("HKLM\\SOFTWARE\\Cut\\K" + std::to_string(i), "v", std::string(2000, 'c'));
    }
    Registry::Process().CloseHives();
    std::filesystem::resize_file(hives.MachineHive(),
                                 std::filesystem::file_size(hives.MachineHive()) / 2);
    EXPECT_FALSE(reg.KeyExists("HKLM\\SOFTWARE\\Cut"));
    EXPECT_EQ(reg.ReadString("HKLM\\SOFTWARE\\Cut\\K1", "v", "dflt"), "dflt");
    EXPECT_EQ(reg.WriteString("HKLM\\SOFTWARE\\Cut", "v", "x"), 0);
    EXPECT_NE(Registry::Process().LastError().find(hives.MachineHive().string()),
              std::string::npos);

    sqlite3* db = nullptr;
    sqlite3_open(hives.UserHive().c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE songs(title TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Names keys;
    EXPECT_EQ(reg.EnumKeys("HKCU", keys), -1);
    EXPECT_NE(Registry::Process().LastError().find("not a settings hive"), std::string::npos);
    EXPECT_EQ(reg.CreateKey("HKCU\\Software"), 0);

    std::filesystem::remove(hives.UserHive());
    hives.Dir().Write("user.hive", "[HKEY_CURRENT_USER]\r\n");
    EXPECT_EQ(reg.ReadDWORD("HKCU\\Software", "n", 3), 3);
    EXPECT_EQ(reg.WriteDWORD("HKCU\\Software", "n", 4), 0);
    EXPECT_EQ(hives.Dir().Read("user.hive"), "[HKEY_CURRENT_USER]\r\n");
    EXPECT_TRUE(SetAsideFiles(hives.Dir()).empty());
    Registry::Process().SetDamagedUserHivePolicy(reg::DamagedHivePolicy::SetAside);
}

// The administrator passes every permission check, so a hive is locked by its mode bits
// (or by living on a file system that takes no new files at all).
TEST(HiveStore, ReadOnlyHivesRefuseWritesEvenForTheAdministrator) {
    test::ScopedHives hives;
    clsRegistryAccess reg;
    ASSERT_NE(reg.WriteString("HKLM\\SOFTWARE\\Locked", "v", "before"), 0);
    ASSERT_NE(reg.CreateKey("HKLM\\SOFTWARE\\Locked\\Sub"), 0);
    std::filesystem::permissions(hives.MachineHive(), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read |
                                                          std::filesystem::perms::others_read);
    EXPECT_EQ(reg.WriteString("HKLM\\SOFTWARE\\Locked", "v", "after"), 0);
    EXPECT_EQ(reg.WriteDWORD("HKLM\\SOFTWARE\\Other", "n", 1), 0);
    EXPECT_EQ(reg.KillKey("HKLM\\SOFTWARE\\Locked\\Sub"), 0);
    EXPECT_EQ(reg.KillValue("HKLM\\SOFTWARE\\Locked", "v"), 0);
    // Reading still works; a key that cannot be opened with full access counts as absent.
    EXPECT_EQ(reg.ReadString("HKLM\\SOFTWARE\\Locked", "v", ""), "before");
    EXPECT_FALSE(reg.KeyExists("HKLM\\SOFTWARE\\Locked"));
    Names keys;
    EXPECT_EQ(reg.EnumKeys("HKLM\\SOFTWARE\\Locked", keys), 1);
    // The lock is lifted as soon as the bits are back.
    std::filesystem::permissions(hives.MachineHive(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_NE(reg.WriteString("HKLM\\SOFTWARE\\Locked", "v", "after"), 0);

    // A folder without write bits takes no new hive file.
    const auto folder = hives.Dir() / "locked";
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ::setenv("QUORVEL_MACHINE_HIVE", (folder / "machine.hive").c_str(), 1);
    EXPECT_EQ(reg.WriteString("HKLM\\SOFTWARE\\X", "v", "1"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "machine.hive"));
    EXPECT_EQ(reg.ReadString("HKLM\\SOFTWARE\\X", "v", "dflt"), "dflt");

    // Nor does a file system that cannot hold new files, whoever asks.
    ::setenv("QUORVEL_MACHINE_HIVE", "/proc/quorvel-test/machine.hive", 1);
    EXPECT_EQ(reg.WriteString("HKLM\\SOFTWARE\\X", "v", "1"), 0);
    EXPECT_EQ(reg.CreateKey("HKLM\\SOFTWARE\\X"), 0);
    EXPECT_EQ(reg.ReadString("HKLM\\SOFTWARE\\X", "v", "dflt"), "dflt");
    EXPECT_TRUE(reg.KeyExists("HKLM") == false);
}

TEST(HiveStore, HivesLiveWhereTheEnvironmentSays) {
    test::ScopedHives hives;
    EXPECT_EQ(reg::UserHivePath(), hives.UserHive());
    EXPECT_EQ(reg::MachineHivePath(), hives.MachineHive());
    ::unsetenv("QUORVEL_USER_HIVE");
    ::unsetenv("QUORVEL_MACHINE_HIVE");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_CONFIG_HOME", (hives.Dir() / "config").c_str(), 1);
    EXPECT_EQ(reg::UserHivePath(), hives.Dir() / "config" / "quorvel" / "user.hive");
    EXPECT_EQ(reg::MachineHivePath(), "/var/lib/quorvel/machine.hive");
    clsRegistryAccess reg;
    EXPECT_NE(reg.WriteString("HKCU\\Software\\Quorvel", "a", "1"), 0);
    EXPECT_TRUE(std::filesystem::exists(hives.Dir() / "config" / "quorvel" / "user.hive"));
    // A relative XDG_CONFIG_HOME is not to be used; the home folder's .config is.
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    ::setenv("HOME", hives.Dir().Path().c_str(), 1);
    EXPECT_EQ(reg::UserHivePath(), hives.Dir() / ".config" / "quorvel" / "user.hive");

    if (oldXdg) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    if (oldHome) {
        ::setenv("HOME", savedHome.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

}  // namespace
}  // namespace quorvel
