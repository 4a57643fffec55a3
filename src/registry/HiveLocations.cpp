#include "registry/HiveLocations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace quorvel::reg {
namespace {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

}  // namespace

std::filesystem::path UserHivePath() {
    if (const char* path = std::getenv("QUORVEL_USER_HIVE"); path && *path)
        return path;
    std::filesystem::path config;
    // Relative values are to be ignored, as the base directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        config = xdg;
    } else {
        config = HomeFolder() / ".config";
    }
    return config / "quorvel" / "user.hive";
}

std::filesystem::path MachineHivePath() {
    if (const char* path = std::getenv("QUORVEL_MACHINE_HIVE"); path && *path)
        return path;
    return "/var/lib/quorvel/machine.hive";
}

}  // namespace quorvel::reg
