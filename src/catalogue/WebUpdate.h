#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "net/FetchUrlText.h"

namespace quorvel {

inline constexpr std::string_view kUpdateAppliedMessage =
    "The most recent channel list has been downloaded and applied.";

// The block of a published page: from just after the first "<data>" to just before the
// first "</data>" that follows it, line breaks included. Nothing when either marker is
// missing.
std::optional<std::string_view> ExtractDataBlock(std::string_view page);

enum class UpdateStatus { Applied, DownloadFailed, NoStartMarker, NoEndMarker, WriteFailed };

struct UpdateResult {
    UpdateStatus status = UpdateStatus::DownloadFailed;
    bool cancelled = false;
    // For the user when the update failed: what went wrong and that the list is unchanged.
    std::string message;

    bool Applied() const { return status == UpdateStatus::Applied; }
};

// Writes the page's block, followed by CR LF, as the catalogue file, replacing it
// atomically. A page without a whole block leaves the catalogue as it was.
UpdateResult ApplyUpdatePage(std::string_view page, const std::filesystem::path& catalogue);

// The download of the update page at `url`, with its limits.
HttpRequest UpdateDownload(std::string url);

// Fetches the page and applies it. Blocks: run it off the GUI thread.
UpdateResult RunWebUpdate(const HttpRequest& request, const std::filesystem::path& catalogue);

}  // namespace quorvel
