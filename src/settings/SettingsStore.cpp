#include "settings/SettingsStore.h"

#include "appearance/ProductInfo.h"
#include "files/TextCase.h"
#include "registry/HiveLocations.h"
#include "registry/Registry.h"
#include "settings/PermissionQuestion.h"
#include "settings/SettingsError.h"

#include <exception>
#include <mutex>
#include <set>

namespace quorvel {
namespace {

using reg::Registry;

constexpr std::string_view kSource = "GetMachineSetting";
constexpr std::string_view kIgnoreKey = "IgnorePermissionDeniedError";

std::string UserSettingsPath(std::string_view appName, std::string_view section) {
    return "Software\\" + std::string(TrimBlanks(appName)) + "\\" +
           std::string(TrimBlanks(section));
}

std::string WithZero(std::string_view text) {
    std::string data(text);
    data.push_back('\0');
    return data;
}

// The text before the terminating zero.
std::string TextOf(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

// Drops the last character of the stored data (the terminating zero when there is one).
std::string WithoutLastCharacter(std::string data) {
    if (data.empty())
        return data;
    std::size_t cut = data.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(data[cut]) & 0xC0) == 0x80)
        --cut;
    data.erase(cut);
    return data;
}

// Closes a key handle when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() { Reset(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    reg::Hkey& Out() {
        Reset();
        return m_key;
    }
    reg::Hkey Get() const { return m_key; }
    void Reset() {
        if (m_key != reg::kNoKey)
            Registry::Process().CloseKey(m_key);
        m_key = reg::kNoKey;
    }

private:
    reg::Hkey m_key = reg::kNoKey;
};

// Machine-wide files read as defaults, told once a run; a broken file would otherwise be
// reported at every read.
std::mutex gProblemsMutex;
std::set<std::string> gToldFiles;
std::vector<std::string> gProblems;

}  // namespace

std::string MachineSettingsPath(std::string_view appName, std::string_view section) {
    return "SOFTWARE\\" + std::string(TrimBlanks(CurrentVersionInfo().companyName)) + "\\" +
           std::string(TrimBlanks(appName)) + "\\" + std::string(TrimBlanks(section));
}

std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                       std::string_view defaultValue) try {
    if (TrimBlanks(appName).empty() || TrimBlanks(section).empty() || key.empty()) {
        return std::string(defaultValue);
    }
    KeyHandle handle;
    Registry& registry = Registry::Process();
    if (registry.OpenKey(reg::kHkeyCurrentUser, UserSettingsPath(appName, section),
                         reg::Access::Read, handle.Out()) != reg::kErrorSuccess) {
        return std::string(defaultValue);
    }
    std::uint32_t type = 0;
    std::string data;
    if (registry.QueryValue(handle.Get(), key, type, data) != reg::kErrorSuccess ||
        type != reg::kRegSz) {
        return std::string(defaultValue);
    }
    return TextOf(data);
} catch (const std::exception&) {
    // Settings are read on the way to the first window: nothing there may end the program.
    return std::string(defaultValue);
}

bool SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                 std::string_view value) {
    if (TrimBlanks(appName).empty() || TrimBlanks(section).empty() || key.empty())
        return false;
    KeyHandle handle;
    Registry& registry = Registry::Process();
    if (registry.CreateKey(reg::kHkeyCurrentUser, UserSettingsPath(appName, section),
                           handle.Out()) != reg::kErrorSuccess) {
        return false;
    }
    return registry.SetValue(handle.Get(), key, reg::kRegSz, WithZero(value)) == reg::kErrorSuccess;
}

std::vector<std::pair<std::string, std::string>> GetAllSettings(std::string_view appName,
                                                                std::string_view section) try {
    std::vector<std::pair<std::string, std::string>> values;
    if (TrimBlanks(appName).empty() || TrimBlanks(section).empty())
        return values;
    KeyHandle handle;
    Registry& registry = Registry::Process();
    if (registry.OpenKey(reg::kHkeyCurrentUser, UserSettingsPath(appName, section),
                         reg::Access::Read, handle.Out()) != reg::kErrorSuccess) {
        return values;
    }
    std::string name;
    std::uint32_t type = 0;
    std::string data;
    for (std::uint32_t index = 0;
         registry.EnumValue(handle.Get(), index, name, type, data) == reg::kErrorSuccess; ++index) {
        if (type == reg::kRegSz)
            values.emplace_back(name, TextOf(data));
    }
    return values;
} catch (const std::exception&) {
    return {};
}

bool DeleteSetting(std::string_view appName, std::string_view section, std::string_view key) {
    if (TrimBlanks(appName).empty() || TrimBlanks(section).empty() || key.empty())
        return false;
    KeyHandle handle;
    Registry& registry = Registry::Process();
    const reg::Status opened =
        registry.OpenKey(reg::kHkeyCurrentUser, UserSettingsPath(appName, section),
                         reg::Access::Write, handle.Out());
    if (opened == reg::kErrorFileNotFound)
        return true;
    if (opened != reg::kErrorSuccess)
        return false;
    const reg::Status status = registry.DeleteValue(handle.Get(), key);
    return status == reg::kErrorSuccess || status == reg::kErrorFileNotFound;
}

std::string GetMachineSetting(std::string_view appName, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
    if (TrimBlanks(appName).empty()) {
        throw SettingsError(kErrAppNameEmpty, std::string(kSource), "AppName may not be empty");
    }
    if (TrimBlanks(section).empty()) {
        throw SettingsError(kErrSectionEmpty, std::string(kSource), "Section may not be empty");
    }
    if (TrimBlanks(key).empty()) {
        throw SettingsError(kErrKeyEmpty, std::string(kSource), "Key may not be empty");
    }
    Registry& registry = Registry::Process();
    KeyHandle handle;
    const reg::Status status =
        registry.OpenKey(reg::kHkeyLocalMachine, MachineSettingsPath(appName, section),
                         reg::Access::Read, handle.Out());
    if (status == reg::kErrorFileNotFound)
        return std::string(defaultValue);
    if (status != reg::kErrorSuccess) {
        throw SettingsError(kErrRegistryBase + static_cast<std::uint32_t>(status),
                            std::string(kSource), "Could not open registry section",
                            registry.LastError());
    }
    std::uint32_t type = 0;
    std::string data;
    if (registry.QueryValue(handle.Get(), key, type, data) != reg::kErrorSuccess) {
        return std::string(defaultValue);
    }
    if (type != reg::kRegSz) {
        throw SettingsError(kErrRegistryBase + type, std::string(kSource),
                            "Registry data not a string");
    }
    return WithoutLastCharacter(std::move(data));
}

std::string GetMachineSettingOrDefault(std::string_view appName, std::string_view section,
                                       std::string_view key, std::string_view defaultValue) {
    std::string reason;
    try {
        return GetMachineSetting(appName, section, key, defaultValue);
    } catch (const SettingsError& error) {
        reason = error.Detail().empty() ? error.Description() : error.Detail();
    } catch (const std::exception& error) {
        reason = error.what();
    }
    const std::string file = reg::MachineHivePath().string();
    // The detail names the file already.
    if (reason.rfind(file + ": ", 0) == 0)
        reason.erase(0, file.size() + 2);
    std::lock_guard lock(gProblemsMutex);
    if (gToldFiles.insert(file).second) {
        gProblems.push_back("The machine-wide settings file " + file + " could not be read (" +
                            reason +
                            "), so the program uses the default machine-wide settings. An "
                            "administrator can repair this by replacing the file with a good "
                            "copy, or by removing it: a new one is made when a machine-wide "
                            "setting is next saved.");
    }
    return std::string(defaultValue);
}

std::vector<std::string> TakeSettingsProblems() {
    std::vector<std::string> problems;
    {
        std::lock_guard lock(gProblemsMutex);
        problems.swap(gProblems);
    }
    for (std::string& notice : Registry::Process().TakeNotices())
        problems.push_back(std::move(notice));
    return problems;
}

void SaveMachineSetting(std::string_view appName, std::string_view section, std::string_view key,
                        std::string_view value) try {
    const std::string path = MachineSettingsPath(appName, section);
    const std::string data = WithZero(value);
    Registry& registry = Registry::Process();
    KeyHandle handle;
    enum class Step { CreateKey, WriteValue, Done };
    Step step = Step::CreateKey;
    while (step != Step::Done) {
        reg::Status status = reg::kErrorSuccess;
        if (step == Step::CreateKey) {
            status = registry.CreateKey(reg::kHkeyLocalMachine, path, handle.Out());
            if (status == reg::kErrorSuccess)
                step = Step::WriteValue;
        } else {
            status = registry.SetValue(handle.Get(), key, reg::kRegSz, data);
            if (status == reg::kErrorSuccess)
                step = Step::Done;
        }
        if (status == reg::kErrorSuccess)
            continue;

        // A refused write is reported, never passed over as if it had been saved.
        const std::string product = CurrentVersionInfo().productName;
        if (GetSetting(product, "Settings", kIgnoreKey, "0") == "1")
            return;
        const PermissionAnswer answer = AskPermissionQuestion(std::string(kPermissionDeniedTitle),
                                                              PermissionDeniedText(product));
        if (answer == PermissionAnswer::Abort)
            return;
        if (answer == PermissionAnswer::Ignore) {
            SaveSetting(product, "Settings", kIgnoreKey, "1");
            return;
        }
        // Retry: the same step once more.
    }
} catch (...) {
    // Nothing of a failed machine-wide write reaches the caller.
}

}  // namespace quorvel
