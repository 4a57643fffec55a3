#include "ChildProcess.h"
#include "ScopedHives.h"
#include "registry/clsRegistryAccess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvel {
namespace {

using test::ProcessResult;

ProcessResult Reg(const std::vector<std::string>& args) {
    return test::RunProcess(std::filesystem::path(QUORVEL_BIN_DIR) / "quorvel-reg", args);
}

TEST(RegToolTest, SetsListsAndReadsValuesOfEveryType) {
    test::ScopedHives hives;
    const std::string key = "HKCU\\Software\\Quorvel\\Settings";
    EXPECT_EQ(Reg({"set", key, "TVLang", "sz", "Français"}).exitStatus, 0);
    EXPECT_EQ(Reg({"set", key, "Count", "dword", "0x2A"}).exitStatus, 0);
    EXPECT_EQ(Reg({"set", key, "Neg", "dword", "-1"}).exitStatus, 0);
    EXPECT_EQ(Reg({"set", key, "Big", "dword", "4294967295"}).exitStatus, 0);
    EXPECT_EQ(Reg({"set", key, "Bytes", "binary", "01 ff 7"}).exitStatus, 0);
    EXPECT_EQ(
        Reg({"set", "hkey_current_user\\Software\\Quorvel\\Other", "@", "sz", "d"}).exitStatus, 0);
    clsRegistryAccess reg;
    reg.WriteString(key, "padding", "  x");

    const ProcessResult values = Reg({"values", key});
    EXPECT_EQ(values.exitStatus, 0) << values.err;
    EXPECT_EQ(values.out,
              "TVLang\tREG_SZ\tFrançais\n"
              "Count\tREG_DWORD\t42\n"
              "Neg\tREG_DWORD\t-1\n"
              "Big\tREG_DWORD\t-1\n"
              "Bytes\tREG_BINARY\t01 FF\n"
              "padding\tREG_SZ\tx\n");
    EXPECT_EQ(Reg({"keys", "HKCU\\Software\\Quorvel"}).out, "Other\nSettings\n");
    EXPECT_EQ(Reg({"get", key, "tvlang"}).out, "Français\n");
    EXPECT_EQ(Reg({"get", key, "Bytes"}).out, "01 FF\n");
    EXPECT_EQ(Reg({"get", "HKCU\\Software\\Quorvel\\Other", ""}).out, "d\n");
    const ProcessResult missing = Reg({"get", key, "Nothing"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(Reg({"keys", "HKCU\\Software\\Nothing"}).exitStatus, 1);
    EXPECT_EQ(Reg({"values", "HKLM\\SOFTWARE"}).out, "");
}

TEST(RegToolTest, DeletesExportsAndImports) {
    test::ScopedHives hives;
    const std::string key = "HKCU\\Software\\Quorvel";
    ASSERT_EQ(Reg({"set", key + "\\Settings", "A", "sz", "1"}).exitStatus, 0);
    ASSERT_EQ(Reg({"set", key + "\\Settings", "B", "dword", "2"}).exitStatus, 0);

    const auto file = (hives.Dir() / "out.reg").string();
    EXPECT_EQ(Reg({"export", key, file}).exitStatus, 0);
    EXPECT_EQ(hives.Dir().Read("out.reg"),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvel]\r\n\r\n");
    EXPECT_EQ(Reg({"export", key, file, "--subkeys"}).exitStatus, 1);  // exists already
    const auto deep = (hives.Dir() / "deep.reg").string();
    EXPECT_EQ(Reg({"export", "--subkeys", key, deep}).exitStatus, 0);

    EXPECT_EQ(Reg({"delete", key + "\\Settings", "A"}).exitStatus, 0);
    EXPECT_EQ(Reg({"delete", key + "\\Settings", "A"}).exitStatus, 1);
    const ProcessResult parent = Reg({"delete", key});
    EXPECT_EQ(parent.exitStatus, 1);
    EXPECT_NE(parent.err.find("sub-keys"), std::string::npos);
    EXPECT_EQ(Reg({"delete", key + "\\Settings"}).exitStatus, 0);
    EXPECT_EQ(Reg({"delete", key}).exitStatus, 0);
    EXPECT_EQ(Reg({"keys", key}).exitStatus, 1);

    EXPECT_EQ(Reg({"import", deep}).exitStatus, 0);
    EXPECT_EQ(Reg({"get", key + "\\Settings", "A"}).out, "1\n");
    EXPECT_EQ(Reg({"get", key + "\\Settings", "B"}).out, "2\n");
    EXPECT_EQ(Reg({"import", (hives.Dir() / "missing.reg").string()}).exitStatus, 1);
    EXPECT_EQ(Reg({"import", hives.Dir().Write("lf.reg", "REGEDIT4\n").string()}).exitStatus, 1);
}

TEST(RegToolTest, BadArgumentsAndFailuresHaveTheirOwnExitStatus) {
    test::ScopedHives hives;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate"},
             {"keys"},
             {"keys", "HKCU", "extra"},
             {"keys", "HKXX\\Software"},
             {"set", "HKCU\\Software\\Q", "n", "qword", "1"},
             {"set", "HKCU\\Software\\Q", "n", "dword", "12abc"},
             {"set", "HKCU\\Software\\Q", "n", "dword", "4294967296"},
             {"export", "HKCU\\Software", "a.reg", "b.reg"}}) {
        const ProcessResult result = Reg(args);
        EXPECT_EQ(result.exitStatus, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    for (const char* command : {"keys", "values", "get", "set", "delete", "export", "import"}) {
        const ProcessResult help = Reg({command, "--help"});
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_NE(help.out.find(std::string("quorvel-reg ") + command), std::string::npos);
    }
    EXPECT_EQ(Reg({"--help"}).exitStatus, 0);

    // A refused write fails with status 1 and says why; a damaged hive is named, not moved.
    ::setenv("QUORVEL_MACHINE_HIVE", "/proc/quorvel-test/machine.hive", 1);
    const ProcessResult refused = Reg({"set", "HKLM\\SOFTWARE\\Q", "n", "sz", "1"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("/proc/quorvel-test/machine.hive"), std::string::npos);
    hives.Dir().Write("user.hive", "garbage, not a hive");
    const ProcessResult damaged = Reg({"keys", "HKCU"});
    EXPECT_EQ(damaged.exitStatus, 1);
    EXPECT_NE(damaged.err.find("user.hive"), std::string::npos) << damaged.err;
    EXPECT_EQ(hives.Dir().Read("user.hive"), "garbage, not a hive");
}

// get prints the named value itself, whole; set refuses what it would store wrongly; "-h"
// is a help request only where an option may stand.
TEST(RegToolTest, GetAndSetTellTheTruth) {
    test::ScopedHives hives;
    const std::string key = "HKCU\\Software\\Quorvel";
    const std::string longText(300, 'x');
    ASSERT_EQ(Reg({"set", key, "long", "sz", longText}).exitStatus, 0);
    ASSERT_EQ(Reg({"set", key, "a", "sz", "plain"}).exitStatus, 0);
    ASSERT_EQ(Reg({"set", key, " a ", "sz", "blanks"}).exitStatus, 0);
    EXPECT_EQ(Reg({"get", key, "long"}).out, longText + "\n");
    EXPECT_EQ(Reg({"get", key, " a "}).out, "blanks\n");
    EXPECT_EQ(Reg({"get", key, "a"}).out, "plain\n");
    EXPECT_EQ(Reg({"get", key, "a "}).exitStatus, 1);

    const ProcessResult bad = Reg({"set", key, "bytes", "binary", "hello world"});
    EXPECT_EQ(bad.exitStatus, 2);
    EXPECT_EQ(Reg({"get", key, "bytes"}).exitStatus, 1);

    EXPECT_EQ(Reg({"set", key, "-h", "sz", "--help"}).exitStatus, 0);
    EXPECT_EQ(Reg({"get", key, "-h"}).out, "--help\n");
    EXPECT_NE(Reg({"set", "-h"}).out.find("quorvel-reg set"), std::string::npos);

    // An export that has to leave a value out says so and fails.
    ASSERT_EQ(Reg({"set", key, "dash", "sz", "-"}).exitStatus, 0);
    const ProcessResult partial = Reg({"export", key, (hives.Dir() / "q.reg").string()});
    EXPECT_EQ(partial.exitStatus, 1);
    EXPECT_NE(partial.err.find("\"dash\""), std::string::npos) << partial.err;
    EXPECT_EQ(hives.Dir().Read("q.reg").find("dash"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
