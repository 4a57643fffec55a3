#pragma once

#include "ScopedEnv.h"
#include "TempDir.h"

#include <filesystem>

namespace quorvel::test {

// Points the per-user and machine-wide settings hives at files in a fresh temporary folder
// for the lifetime of the object, so no test ever touches the real ones.
class ScopedHives {
public:
    ScopedHives() {
        m_env.Set("QUORVEL_USER_HIVE", UserHive().string());
        m_env.Set("QUORVEL_MACHINE_HIVE", MachineHive().string());
    }
    ScopedHives(const ScopedHives&) = delete;
    ScopedHives& operator=(const ScopedHives&) = delete;

    const TempDir& Dir() const { return m_dir; }
    std::filesystem::path UserHive() const { return m_dir / "user.hive"; }
    std::filesystem::path MachineHive() const { return m_dir / "machine.hive"; }

private:
    TempDir m_dir;
    ScopedEnv m_env;  // after the folder: it is put back first
};

}  // namespace quorvel::test
