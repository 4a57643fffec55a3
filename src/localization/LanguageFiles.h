#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// "Localization.txt": the languages the language window lists, and its replacement by a
// downloaded file.

// The language names of "Localization.txt" in file order (a name found twice is listed
// twice); empty when the file is missing, unreadable or too large.
std::vector<std::string> LanguageNamesOfTxt();

// Where newer translations are published on the vendor's site.
std::string LanguageDownloadUrl();

enum class DownloadOutcome { NotLocalization, Saved, WriteFailed };

// Keeps a downloaded text as the new "Localization.txt" when it holds
// "<TRANSLATION_ITEMS>": from its first "<" on, followed by CR LF, written atomically so
// that a failure leaves the old file whole.
DownloadOutcome SaveDownloadedLanguages(std::string_view text, std::string& error);

}  // namespace quorvel
