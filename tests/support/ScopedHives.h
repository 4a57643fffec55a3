#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvel::test {

// Points the per-user and machine-wide settings hives at files in a fresh temporary folder
// for the lifetime of the object, so no test ever touches the real ones.
class ScopedHives {
public:
    ScopedHives() : m_oldUser(Get("QUORVEL_USER_HIVE")), m_oldMachine(Get("QUORVEL_MACHINE_HIVE")) {
        ::setenv("QUORVEL_USER_HIVE", UserHive().c_str(), 1);
        ::setenv("QUORVEL_MACHINE_HIVE", MachineHive().c_str(), 1);
    }
    ~ScopedHives() {
        Restore("QUORVEL_USER_HIVE", m_oldUser);
        Restore("QUORVEL_MACHINE_HIVE", m_oldMachine);
    }
    ScopedHives(const ScopedHives&) = delete;
    ScopedHives& operator=(const ScopedHives&) = delete;

    const TempDir& Dir() const { return m_dir; }
    std::filesystem::path UserHive() const { return m_dir / "user.hive"; }
    std::filesystem::path MachineHive() const { return m_dir / "machine.hive"; }

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    TempDir m_dir;
    std::optional<std::string> m_oldUser;
    std::optional<std::string> m_oldMachine;
};

}  // namespace quorvel::test
