#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The program's one test for "is this file there", matching names the way Windows does:
// letter case is ignored, folders never count, and any error is simply false. Both "/" and
// "\" separate folders. A path ending in a separator is true exactly when that folder
// exists and holds no files at all (the found name and the name part are then both empty).
bool FileExists(std::string_view path);

// The text after the last "/" or "\"; the whole text when there is none.
std::string FileNamePart(std::string_view path);

// The file in `folder` whose name equals `name` without regard to letter case. An exact
// match wins; among several case variants the smallest name (byte order) is taken, so the
// choice is the same on every run. Only files count: no folders, no broken links.
std::optional<std::filesystem::path> FindInFolderIgnoringCase(const std::filesystem::path& folder,
                                                              std::string_view name);

// Where a program file of that name lives in `folder`: the existing file found as above, or
// folder/name when there is none yet (so that a new file gets exactly the given name).
std::filesystem::path ResolveInFolder(const std::filesystem::path& folder, std::string_view name);

}  // namespace quorvel
