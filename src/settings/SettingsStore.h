#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// Per-user settings, kept as REG_SZ values in HKEY_CURRENT_USER\Software\<app>\<section>
// (app name and section trimmed). A read never fails: a missing value, an empty name, an
// unreadable settings file or any other failure gives the caller's default.
std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                       std::string_view defaultValue);
// False when the value could not be stored.
bool SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                 std::string_view value);

// Every text value of the section as (key, value), in the order first stored; values of
// another type are left out. Empty when the section is missing or cannot be read.
std::vector<std::pair<std::string, std::string>> GetAllSettings(std::string_view appName,
                                                                std::string_view section);
// False when the value could not be removed; a value that is not there counts as removed.
bool DeleteSetting(std::string_view appName, std::string_view section, std::string_view key);

// Machine-wide settings, REG_SZ values in HKEY_LOCAL_MACHINE\SOFTWARE\<company>\<app>\<section>.
// A missing key or value gives the default; anything else wrong raises SettingsError.
std::string GetMachineSetting(std::string_view appName, std::string_view section,
                              std::string_view key, std::string_view defaultValue);
// For the program's start: a machine-wide value that cannot be read (a damaged or unreadable
// machine-wide settings file, a value that is no text) counts as absent and gives the default,
// so one bad file cannot keep every user from starting. The file is reported once a run,
// through TakeSettingsProblems.
std::string GetMachineSettingOrDefault(std::string_view appName, std::string_view section,
                                       std::string_view key, std::string_view defaultValue);
// What the user should be told about the settings files since the last call: machine-wide
// files read as defaults, with how to repair them, and damaged per-user files set aside.
std::vector<std::string> TakeSettingsProblems();

// Never raises. A write the store refuses asks the permission question (unless the user
// chose to ignore it before): Abort gives up, Retry tries the failed step again, Ignore
// remembers "IgnorePermissionDeniedError" for this user.
void SaveMachineSetting(std::string_view appName, std::string_view section, std::string_view key,
                        std::string_view value);

// The machine-wide key path of a setting, e.g. "SOFTWARE\Dravmont Software\Quorvel\Settings".
std::string MachineSettingsPath(std::string_view appName, std::string_view section);

}  // namespace quorvel
