#include "LocalizationStoreFixture.h"
#include "localization/LanguageFiles.h"
#include "localization/LocalizationFormat.h"

#include <gmock/gmock.h>

namespace quorvel::test {
namespace {

using LanguageFiles = LocalizationStore;
using ::testing::ElementsAre;

TEST_F(LanguageFiles, ListsEveryNamedGroupOfTheTextFile) {
    EXPECT_TRUE(LanguageNamesOfTxt().empty());
    // Windows-1252 bytes, lone CR line ends, a name listed twice, a group without a name.
    dir.Write("Localization.txt",
              "<LANGUAGE_GROUP><LANGUAGE_NAME>Fran\xE7"
              "ais</LANGUAGE_NAME></LANGUAGE_GROUP>\r"
              "<language_group><language_name> English</language_name></language_group>\r\n"
              "<LANGUAGE_GROUP>no name</LANGUAGE_GROUP>"
              "<LANGUAGE_GROUP><LANGUAGE_NAME> English</LANGUAGE_NAME></LANGUAGE_GROUP>"
              "<LANGUAGE_GROUP><LANGUAGE_NAME>Unclosed");
    EXPECT_THAT(LanguageNamesOfTxt(), ElementsAre("Français", " English", " English"));
    // A file saved in UTF-8 is read as such.
    dir.Write("Localization.txt",
              "<LANGUAGE_GROUP><LANGUAGE_NAME>Español</LANGUAGE_NAME></LANGUAGE_GROUP>");
    EXPECT_THAT(LanguageNamesOfTxt(), ElementsAre("Español"));
    // Read up to the cap, and not at all past it.
    const std::string group = "<LANGUAGE_GROUP><LANGUAGE_NAME>X</LANGUAGE_NAME></LANGUAGE_GROUP>";
    for (const std::size_t size : {kMaxLocalizationFileBytes, kMaxLocalizationFileBytes + 1}) {
        dir.Write("Localization.txt", group + std::string(size - group.size(), ' '));
        EXPECT_EQ(LanguageNamesOfTxt().size(), size == kMaxLocalizationFileBytes ? 1u : 0u);
    }
}

TEST_F(LanguageFiles, DownloadIsKeptOnlyWhenItHoldsTranslationItems) {
    dir.Write("Localization.txt", "old");
    std::string error;
    for (const char* text : {"", "<html>404</html>", "<TRANSLATION_ITEM>"}) {
        EXPECT_EQ(SaveDownloadedLanguages(text, error), DownloadOutcome::NotLocalization);
        EXPECT_EQ(dir.Read("Localization.txt"), "old");
    }
    EXPECT_EQ(SaveDownloadedLanguages("\xEF\xBB\xBF\r\n<x><translation_items>", error),
              DownloadOutcome::Saved);
    EXPECT_EQ(dir.Read("Localization.txt"), "<x><translation_items>\r\n");
}

TEST_F(LanguageFiles, DownloadAddressUsesTheVendorSite) {
    VersionInfo info;
    info.vendorUpdateHost = "vendor.example";
    ScopedVersionInfo edition(info);
    EXPECT_EQ(LanguageDownloadUrl(), "http://vendor.example/Languages/0/Localization.txt");
}

}  // namespace
}  // namespace quorvel::test
