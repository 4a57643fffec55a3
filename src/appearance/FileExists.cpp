#include "appearance/FileExists.h"

#include "files/TextCase.h"

#include <system_error>

namespace quorvel {
namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// A plain file, following links; pipes, devices and broken links do not count, since no
// caller could read them as a file.
bool IsFileEntry(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && !ec;
}

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// The folder part of a path with either separator, written with "/".
std::filesystem::path FolderPart(std::string_view path, std::size_t nameStart) {
    if (nameStart == 0)
        return ".";
    std::string folder(path.substr(0, nameStart));
    for (char& c : folder) {
        if (c == '\\')
            c = '/';
    }
    return folder;
}

bool FolderHoldsNoFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec) || ec)
        return false;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return false;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            return false;
        if (IsFileEntry(*it))
            return false;
    }
    return !ec;
}

}  // namespace

std::string FileNamePart(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i]))
            start = i + 1;
    }
    return std::string(path.substr(start));
}

std::optional<std::filesystem::path> FindInFolderIgnoringCase(const std::filesystem::path& folder,
                                                              std::string_view name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string_view::npos) {
        return std::nullopt;
    }
    std::error_code ec;
    const std::filesystem::directory_entry exact(folder / std::string(name), ec);
    if (!ec && IsFileEntry(exact))
        return exact.path();

    std::optional<std::filesystem::path> best;
    std::string bestName;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return std::nullopt;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            return std::nullopt;
        const std::string entryName = it->path().filename().string();
        if (!EqualsIgnoringCase(entryName, name) || !IsFileEntry(*it))
            continue;
        if (!best || entryName < bestName) {
            best = it->path();
            bestName = entryName;
        }
    }
    return best;
}

std::filesystem::path ResolveInFolder(const std::filesystem::path& folder, std::string_view name) {
    if (auto found = FindInFolderIgnoringCase(folder, name))
        return *found;
    return folder / std::string(name);
}

bool FileExists(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos)
        return false;
    const std::string name = FileNamePart(path);
    const std::filesystem::path folder = FolderPart(path, path.size() - name.size());
    if (name.empty())
        return FolderHoldsNoFiles(folder);
    // A pattern finds files whose names differ from the pattern itself.
    if (HasWildcard(name))
        return false;
    try {
        return FindInFolderIgnoringCase(folder, name).has_value();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace quorvel
