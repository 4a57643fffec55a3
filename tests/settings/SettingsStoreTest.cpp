#include "ScopedHives.h"
#include "appearance/ProductInfo.h"
#include "registry/Registry.h"
#include "registry/clsRegistryAccess.h"
#include "settings/PermissionQuestion.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace quorvel {
namespace {

VersionInfo Edition(std::string product, std::string company) {
    VersionInfo info = CurrentVersionInfo();
    info.productName = std::move(product);
    info.companyName = std::move(company);
    return info;
}

// Answers the permission question from a script and records each time it was asked.
class ScriptedQuestion {
public:
    explicit ScriptedQuestion(std::vector<PermissionAnswer> answers,
                              std::function<void()> beforeLast = {})
        : m_answers(std::move(answers)), m_beforeLast(std::move(beforeLast)) {
        m_previous =
            SetPermissionQuestion([this](const std::string& title, const std::string& text) {
                titles.push_back(title);
                texts.push_back(text);
                if (titles.size() == m_answers.size() && m_beforeLast)
                    m_beforeLast();
                return titles.size() <= m_answers.size() ? m_answers[titles.size() - 1]
                                                         : PermissionAnswer::Abort;
            });
    }
    ~ScriptedQuestion() { SetPermissionQuestion(std::move(m_previous)); }

    std::vector<std::string> titles;
    std::vector<std::string> texts;

private:
    std::vector<PermissionAnswer> m_answers;
    std::function<void()> m_beforeLast;
    PermissionQuestion m_previous;
};

void LockMachineHive(const test::ScopedHives& hives) {
    clsRegistryAccess reg;
    reg.CreateKey("HKLM\\SOFTWARE");
    std::filesystem::permissions(hives.MachineHive(), std::filesystem::perms::owner_read);
}

void UnlockMachineHive(const test::ScopedHives& hives) {
    std::filesystem::permissions(hives.MachineHive(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST(Settings, PerUserValuesLiveUnderTheProductKeyAndDefaultWhenMissing) {
    test::ScopedHives hives;
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "RadioLang", "English"), "English");
    EXPECT_TRUE(SaveSetting("Quorvel", "Settings", "RadioLang", "Français"));
    EXPECT_TRUE(SaveSetting("Quorvel", "Settings", "Dir", "/home/ü/" + std::string(400, 'd')));
    EXPECT_TRUE(SaveSetting("Quorvel", "Settings", "Drive", ""));
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "radiolang", "English"), "Français");
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "Dir", ""), "/home/ü/" + std::string(400, 'd'));
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "Drive", "C:"), "");
    EXPECT_EQ(GetSetting("Other", "Settings", "RadioLang", "English"), "English");
    // Reachable with the registry tools, in the per-user hive only.
    clsRegistryAccess reg;
    EXPECT_EQ(reg.ReadString("HKCU\\Software\\Quorvel\\Settings", "RadioLang", ""), "Français");
    EXPECT_FALSE(std::filesystem::exists(hives.MachineHive()));
    // Empty names are refused without harm.
    EXPECT_FALSE(SaveSetting("", "Settings", "K", "v"));
    EXPECT_EQ(GetSetting("Quorvel", " ", "K", "d"), "d");
    // A value of another type is not a setting.
    reg.WriteDWORD("HKCU\\Software\\Quorvel\\Settings", "Number", 1);
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "Number", "d"), "d");
}

TEST(Settings, MachineReadsRaiseNumberedErrors) {
    test::ScopedHives hives;
    const ScopedVersionInfo edition(Edition("Quorvel", "  Dravmont Software "));
    auto expectError = [](auto read, std::uint32_t number, const std::string& description) {
        try {
            read();
            ADD_FAILURE() << "no error for " << description;
        } catch (const SettingsError& error) {
            EXPECT_EQ(error.Number(), number);
            EXPECT_EQ(error.Description(), description);
            EXPECT_EQ(error.Source(), "GetMachineSetting");
        }
    };
    expectError([] { GetMachineSetting(" ", "Settings", "chkSplash", "0"); }, 0x800403E8u,
                "AppName may not be empty");
    expectError([] { GetMachineSetting("Quorvel", "", "chkSplash", "0"); }, 0x800403E9u,
                "Section may not be empty");
    expectError([] { GetMachineSetting("Quorvel", "Settings", "  ", "0"); }, 0x800403EAu,
                "Key may not be empty");

    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "chkSplash", "0"), "0");
    clsRegistryAccess reg;
    const std::string key = "HKLM\\SOFTWARE\\Dravmont Software\\Quorvel\\Settings";
    reg.WriteDWORD(key, "Number", 1);
    expectError([] { GetMachineSetting("Quorvel", "Settings", "Number", "0"); }, 0x800407D4u,
                "Registry data not a string");
    reg.WriteBinary(key, "Bytes", "01");
    expectError([] { GetMachineSetting("Quorvel", "Settings", "Bytes", "0"); }, 0x800407D3u,
                "Registry data not a string");
    reg.WriteString(key, "Empty", "");  // stored as the terminating zero alone
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "Empty", "d"), "");
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "Missing", "d"), "d");

    // Names are trimmed for the path, the value name is not.
    SaveMachineSetting(" Quorvel ", " Settings ", " showHelp", "0 ");
    EXPECT_EQ(reg.ReadString(key, " showHelp", "x"), "0 ");
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", " showHelp", "1"), "0 ");
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "showHelp", "1"), "1");

    // A damaged machine hive is an error with the status added, never a crash.
    reg::Registry::Process().CloseHives();
    std::filesystem::remove(hives.MachineHive());
    hives.Dir().Write("machine.hive", std::string(3000, 'x'));
    try {
        GetMachineSetting("Quorvel", "Settings", "chkSplash", "0");
        ADD_FAILURE() << "no error for a damaged hive";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.Number(), 0x800407D0u + 1009u);
        EXPECT_EQ(error.Description(), "Could not open registry section");
        EXPECT_NE(error.Detail().find(hives.MachineHive().string()), std::string::npos);
    }
}

TEST(Settings, RefusedMachineWriteAsksAndRetryReallyRetries) {
    test::ScopedHives hives;
    const ScopedVersionInfo edition(Edition("Quorvel", "Maker"));
    LockMachineHive(hives);
    {
        ScriptedQuestion question({PermissionAnswer::Retry, PermissionAnswer::Abort});
        SaveMachineSetting("Quorvel", "Settings", "showHelp", "0");
        ASSERT_EQ(question.titles.size(), 2u);
        EXPECT_EQ(question.titles[0], "Permission Denied");
        EXPECT_EQ(question.texts[0],
                  "Quorvel requires read/write access to the system registry and hard drive in "
                  "order to run properly.  This user account does not have the proper permissions "
                  "set.  As a result some or all of your settings may not be properly saved.  "
                  "Please contact your system administrator or change the permission settings for "
                  "this account.\r\n\r\nIf you would like to prevent this error message from being "
                  "displayed again, please press 'Ignore'.");
    }
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "showHelp", "none"), "none");
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "IgnorePermissionDeniedError", "0"), "0");
    {
        // The administrator fixes the permissions while the question is shown; Retry saves.
        ScriptedQuestion question({PermissionAnswer::Retry, PermissionAnswer::Retry},
                                  [&] { UnlockMachineHive(hives); });
        SaveMachineSetting("Quorvel", "Settings", "showHelp", "0");
        EXPECT_EQ(question.titles.size(), 2u);
    }
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "showHelp", "none"), "0");
    {
        ScriptedQuestion question({});
        SaveMachineSetting("Quorvel", "Settings", "showHelp", "1");
        EXPECT_TRUE(question.titles.empty());
    }
    EXPECT_EQ(GetMachineSetting("Quorvel", "Settings", "showHelp", "none"), "1");
}

TEST(Settings, IgnoreSilencesLaterRefusedWritesForThisUser) {
    test::ScopedHives hives;
    const ScopedVersionInfo edition(Edition("Quorvel", "Maker"));
    ::setenv("QUORVEL_MACHINE_HIVE", "/proc/quorvel-test/machine.hive", 1);
    {
        ScriptedQuestion question({PermissionAnswer::Ignore});
        SaveMachineSetting("Quorvel", "Settings", "showHelp", "0");
        EXPECT_EQ(question.titles.size(), 1u);
    }
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "IgnorePermissionDeniedError", "0"), "1");
    {
        ScriptedQuestion question({PermissionAnswer::Abort});
        SaveMachineSetting("Quorvel", "Settings", "showHelp", "0");
        SaveMachineSetting("Quorvel", "Settings", "chkSplash", "1");
        EXPECT_TRUE(question.titles.empty());
    }
    // Another user (another per-user hive) is still asked.
    ::setenv("QUORVEL_USER_HIVE", (hives.Dir() / "other-user.hive").c_str(), 1);
    ScriptedQuestion question({PermissionAnswer::Abort});
    SaveMachineSetting("Quorvel", "Settings", "showHelp", "0");
    EXPECT_EQ(question.titles.size(), 1u);
}

// Random bytes as the machine-wide file would otherwise stop every user's start.
TEST(Settings, UnreadableMachineWideFileGivesDefaultsAndIsToldOnce) {
    test::ScopedHives hives;
    std::string noise(4096, '\0');
    std::mt19937 random(7);
    for (char& c : noise)
        c = static_cast<char>(random());
    hives.Dir().Write("machine.hive", noise);
    TakeSettingsProblems();
    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(GetMachineSettingOrDefault("Quorvel", "Settings", "chkSplash", "0"), "0");
    const std::vector<std::string> told = TakeSettingsProblems();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(hives.MachineHive().string() + " could not be read"), std::string::npos)
        << told[0];
    EXPECT_NE(told[0].find("administrator can repair"), std::string::npos) << told[0];
    EXPECT_EQ(hives.Dir().Read("machine.hive"), noise);
}

TEST(Settings, DamagedPerUserHiveStartsWithDefaults) {
    test::ScopedHives hives;
    hives.Dir().Write("user.hive", "definitely not a database, but some bytes of the user");
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "TVLang", "English"), "English");
    EXPECT_TRUE(SaveSetting("Quorvel", "Settings", "TVLang", "Italiano"));
    EXPECT_EQ(GetSetting("Quorvel", "Settings", "TVLang", "English"), "Italiano");
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(hives.Dir().Path())) {
        aside += entry.path().filename().string().rfind("user.hive.damaged-", 0) == 0;
    }
    EXPECT_EQ(aside, 1);
    EXPECT_FALSE(reg::Registry::Process().TakeNotices().empty());
}

}  // namespace
}  // namespace quorvel
