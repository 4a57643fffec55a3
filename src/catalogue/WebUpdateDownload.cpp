// Apart from the rest of the update, so that programs that only read pages never load the
// network libraries.
#include "catalogue/WebUpdate.h"

namespace quorvel {

HttpRequest UpdateDownload(std::string url) {
    HttpRequest request = TextDownload(std::move(url));
    // A catalogue of a few megabytes arrives in seconds even over a poor line.
    request.deadlineMs = 5 * 60 * 1000;
    return request;
}

UpdateResult RunWebUpdate(const HttpRequest& request, const std::filesystem::path& catalogue) {
    const FetchedText fetched = FetchUrlText(request);
    if (!fetched.Ok()) {
        UpdateResult result;
        result.status = UpdateStatus::DownloadFailed;
        result.message = "The most recent channel list could not be downloaded. " + fetched.error +
                         " The channel list was left as it was.";
        result.cancelled = fetched.cancelled;
        return result;
    }
    return ApplyUpdatePage(fetched.text, catalogue);
}

}  // namespace quorvel
