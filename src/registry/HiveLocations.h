#pragma once

#include <filesystem>

namespace quorvel::reg {

// The per-user hive: $QUORVEL_USER_HIVE, else $XDG_CONFIG_HOME/quorvel/user.hive, else
// ~/.config/quorvel/user.hive. Read afresh on every call, so tests and portable installs can
// move it at any time.
std::filesystem::path UserHivePath();

// The machine-wide hive (every root but HKEY_CURRENT_USER): $QUORVEL_MACHINE_HIVE, else
// /var/lib/quorvel/machine.hive, which only the administrator can write.
std::filesystem::path MachineHivePath();

}  // namespace quorvel::reg
