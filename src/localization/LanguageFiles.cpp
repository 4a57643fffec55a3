#include "localization/LanguageFiles.h"

#include "appearance/FileExists.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "files/FileIo.h"
#include "localization/LocalizationFormat.h"

namespace quorvel {
namespace {

constexpr std::string_view kTxtName = "Localization.txt";
// The product number of this build in the download path.
constexpr int kProductNumber = 0;

}  // namespace

std::vector<std::string> LanguageNamesOfTxt() {
    std::vector<std::string> names;
    const std::filesystem::path path = ProgramFileToRead(kTxtName);
    if (!FileExists(path.string()))
        return names;
    std::string bytes, error;
    if (ReadFileAtMost(path, kMaxLocalizationFileBytes, bytes, error) != FileReadStatus::Read)
        return names;
    const std::string text = ReadLocalizationTxtText(bytes);
    WalkLanguageGroups(text, [&](const LanguageGroup& group) {
        if (group.name)
            names.emplace_back(*group.name);
        return true;
    });
    return names;
}

std::string LanguageDownloadUrl() {
    return "http://" + CurrentVersionInfo().vendorUpdateHost + "/Languages/" +
           std::to_string(kProductNumber) + "/Localization.txt";
}

DownloadOutcome SaveDownloadedLanguages(std::string_view text, std::string& error) {
    if (!IsLocalizationText(text))
        return DownloadOutcome::NotLocalization;
    const std::size_t firstTag = text.find('<');
    if (firstTag != std::string_view::npos)
        text.remove_prefix(firstTag);
    std::string bytes(text);
    bytes.append("\r\n");
    if (!WriteFileAtomically(ProgramFileToWrite(kTxtName), bytes, error))
        return DownloadOutcome::WriteFailed;
    return DownloadOutcome::Saved;
}

}  // namespace quorvel
