#include "appearance/ProgramFiles.h"

#include "appearance/FileExists.h"

#include <utility>

namespace quorvel {
namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder = ".";
    return folder;
}

}  // namespace

void SetApplicationFolder(std::filesystem::path folder) {
    Folder() = std::move(folder);
}

const std::filesystem::path& ApplicationFolder() {
    return Folder();
}

std::filesystem::path ProgramFileToRead(std::string_view name) {
    return ResolveInFolder(Folder(), name);
}

std::filesystem::path ProgramFileToWrite(std::string_view name) {
    return ResolveInFolder(Folder(), name);
}

}  // namespace quorvel
