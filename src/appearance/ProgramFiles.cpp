#include "appearance/ProgramFiles.h"

#include "appearance/FileExists.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUORVEL_INSTALLED_DATA_FROM_BIN
#define QUORVEL_INSTALLED_DATA_FROM_BIN "../share/quorvel"
#endif

namespace quorvel {
namespace {

constexpr const char* kUserFolderName = "quorvel";

struct Place {
    std::filesystem::path folder = ".";
    FilesLayout layout = FilesLayout::Portable;
};

Place& Current() {
    static Place place;
    return place;
}

bool IsAbsolute(const char* value) {
    return value && value[0] == '/';
}

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return home;
    // No usable HOME (a service, a stripped environment): the account's own entry.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        IsAbsolute(found->pw_dir)) {
        return found->pw_dir;
    }
    return {};
}

// Creates the missing folders of `folder` one by one with mode 0700, so that no part of the
// user's data is ever readable by others, not even for a moment.
void MakePrivateFolder(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        struct stat info {};
        if (::stat(partial.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

}  // namespace

FilesLayout LayoutOfFolder(const std::filesystem::path& given) {
    // An empty folder names the current one, as it does for the files in it.
    const std::filesystem::path folder = given.empty() ? "." : given;
    if (FindInFolderIgnoringCase(folder, kInstalledMarker))
        return FilesLayout::Installed;
    // access() also refuses a read-only mount, for root too.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return FilesLayout::Installed;
    return FilesLayout::Portable;
}

void SetApplicationFolder(std::filesystem::path folder) {
    Place& place = Current();
    place.layout = LayoutOfFolder(folder);
    place.folder = std::move(folder);
}

const std::filesystem::path& ApplicationFolder() {
    return Current().folder;
}

FilesLayout CurrentFilesLayout() {
    return Current().layout;
}

std::filesystem::path ApplicationFolderFor(const std::filesystem::path& executableFolder) {
    const std::filesystem::path installed =
        (executableFolder / QUORVEL_INSTALLED_DATA_FROM_BIN).lexically_normal();
    if (FindInFolderIgnoringCase(installed, kInstalledMarker))
        return installed;
    return executableFolder;
}

std::filesystem::path UserFilesFolder() {
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); IsAbsolute(dataHome))
        return std::filesystem::path(dataHome) / kUserFolderName;
    const std::filesystem::path home = HomeFolder();
    if (home.empty())
        return {};
    return home / ".local" / "share" / kUserFolderName;
}

std::filesystem::path ProgramFileToRead(std::string_view name) {
    const Place& place = Current();
    if (place.layout == FilesLayout::Portable)
        return ResolveInFolder(place.folder, name);
    const std::filesystem::path user = UserFilesFolder();
    if (!user.empty()) {
        if (auto found = FindInFolderIgnoringCase(user, name))
            return *found;
    }
    if (auto found = FindInFolderIgnoringCase(place.folder, name))
        return *found;
    return (user.empty() ? place.folder : user) / std::string(name);
}

std::filesystem::path ProgramFileToWrite(std::string_view name) {
    const Place& place = Current();
    if (place.layout == FilesLayout::Portable)
        return ResolveInFolder(place.folder, name);
    const std::filesystem::path user = UserFilesFolder();
    // Without any home there is nowhere else; the write then fails in the system folder.
    if (user.empty())
        return ResolveInFolder(place.folder, name);
    MakePrivateFolder(user);
    return ResolveInFolder(user, name);
}

}  // namespace quorvel
