#pragma once

#include "TempDir.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "localization/clsLanguages.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quorvel::test {

// A fresh store over a temporary application folder.
class LocalizationStore : public ::testing::Test {
protected:
    LocalizationStore() {
        m_previousFolder = ApplicationFolder();
        SetApplicationFolder(dir.Path());
        gLanguageName.clear();
    }
    ~LocalizationStore() override {
        SetApplicationFolder(m_previousFolder);
        LoadProductInfo();
    }

    // One language group in the generator's layout, CR LF line ends.
    static std::string Group(std::string_view name, std::string_view items) {
        return "<LANGUAGE_GROUP xml:lang=\"xx\">\r\n\t<LANGUAGE_NAME>" + std::string(name) +
               "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n" + std::string(items) +
               "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
    }
    void WriteXml(const std::string& groups) {
        dir.Write("Localization.xml",
                  "<?xml version=\"1.0\"?>\r\n<XML_DIZ_INFO>\r\n" + groups + "</XML_DIZ_INFO>\r\n");
    }

    TempDir dir;
    clsLanguages store;

private:
    std::filesystem::path m_previousFolder;
};

}  // namespace quorvel::test
