#pragma once

#include <filesystem>
#include <string_view>

namespace quorvel {

// Where the program's own files ("Data.txt", "Favorites.txt", "Data.htm", "admin.txt",
// "Help.chm", the localization files) are read and written. Every window and tool names its
// files through these two calls, so the place can change in one spot.

// The folder of the executable; set once at start-up (tests set their own).
void SetApplicationFolder(std::filesystem::path folder);
const std::filesystem::path& ApplicationFolder();

// The file to read under that name: an existing file found without regard to letter case,
// or the plain name in the folder when there is none.
std::filesystem::path ProgramFileToRead(std::string_view name);

// The file to (re)write under that name.
std::filesystem::path ProgramFileToWrite(std::string_view name);

}  // namespace quorvel
