// Apart from the rest of the update, so that programs that only read pages never load the
// network libraries.
#include "catalogue/WebUpdate.h"

namespace quorvel {

UpdateResult RunWebUpdate(std::string_view url, const std::filesystem::path& catalogue,
                          const FetchOptions& options) {
    const FetchedText fetched = FetchUrlText(url, options);
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
