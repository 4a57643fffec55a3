#pragma once

#include <filesystem>
#include <string_view>

namespace quorvel {

// Where the program's own files ("Data.txt", "Favorites.txt", "Data.htm", "admin.txt",
// "Help.chm", the localization files) are read and written. Every window and tool names its
// files through ProgramFileToRead and ProgramFileToWrite, so the place can change in one spot.
//
// Two layouts. Portable: the application folder can be written, and every file lives there,
// as on Windows. Installed: the folder is a system one (or carries the installation marker),
// so the files the program writes go to the user's data folder, and reading looks there first
// and then in the application folder, where the shipped files lie.
enum class FilesLayout { Portable, Installed };

// Left in the application folder by the installation. It decides the layout even for root,
// who could otherwise write into the installed folder and change it for every user.
inline constexpr std::string_view kInstalledMarker = ".installed";

// The folder of the program's files; set once at start-up (tests set their own). The layout
// is decided here, from the marker and from whether the folder can be written.
void SetApplicationFolder(std::filesystem::path folder);
const std::filesystem::path& ApplicationFolder();
FilesLayout CurrentFilesLayout();

// The layout that `folder` calls for.
FilesLayout LayoutOfFolder(const std::filesystem::path& folder);

// The application folder of an executable in `executableFolder`: the installed data folder
// (bin/../share/quorvel) when that holds the installation marker, else the executable's own.
std::filesystem::path ApplicationFolderFor(const std::filesystem::path& executableFolder);

// $XDG_DATA_HOME/quorvel, or ~/.local/share/quorvel when that is unset, empty or relative.
// Empty when no home folder can be found at all.
std::filesystem::path UserFilesFolder();

// The file to read under that name, found without regard to letter case: in the installed
// layout the user's copy first, then the shipped one. When there is none, the place where
// ProgramFileToWrite would put it.
std::filesystem::path ProgramFileToRead(std::string_view name);

// The file to (re)write under that name. In the installed layout the user folder is made on
// demand (mode 0700); when that fails, the path is still given and the write reports why.
std::filesystem::path ProgramFileToWrite(std::string_view name);

}  // namespace quorvel
