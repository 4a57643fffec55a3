#include "playback/LocalMediaFolder.h"

#include "files/TextCase.h"
#include "playback/MediaPatterns.h"

#include <algorithm>

namespace quorvel {
namespace {

enum class EntryKind { File, Folder };

std::vector<std::string> List(const std::filesystem::path& folder, EntryKind kind,
                              std::error_code& ec) {
    std::vector<std::string> names;
    std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::none, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code statError;  // a dangling link is skipped, not an error of the folder
        const bool isFolder = it->is_directory(statError);
        if (statError)
            continue;
        if (kind == EntryKind::Folder
                ? isFolder
                : (!isFolder && it->is_regular_file(statError) && IsMediaFileName(name))) {
            names.push_back(std::move(name));
        }
    }
    if (ec)
        return {};
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string lowerA = ToLowerAscii(a);
        const std::string lowerB = ToLowerAscii(b);
        return lowerA != lowerB ? lowerA < lowerB : a < b;
    });
    return names;
}

}  // namespace

std::vector<std::string> ListMediaFiles(const std::filesystem::path& folder, std::error_code& ec) {
    return List(folder, EntryKind::File, ec);
}

std::vector<std::string> ListSubfolders(const std::filesystem::path& folder, std::error_code& ec) {
    return List(folder, EntryKind::Folder, ec);
}

std::string JoinFolderAndFile(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    while (joined.size() > 1 && joined.back() == '/')
        joined.pop_back();
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    while (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    joined += name;
    return joined;
}

}  // namespace quorvel
