#include "appearance/ProductInfo.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

VersionInfo Edition(std::string company, std::string comments = "tv.example") {
    VersionInfo info;
    info.productName = "Streamora";
    info.companyName = std::move(company);
    info.comments = std::move(comments);
    info.major = 3;
    info.minor = 7;
    info.productUpdateHost = "own.example";
    info.vendorUpdateHost = "vendor.example";
    return info;
}

TEST(ProductInfo, ResellerEditionNeedsTheExactCompanyName) {
    {
        ScopedVersionInfo edition(Edition("Dravmont Software"));
        EXPECT_TRUE(IsResellerEdition());
        EXPECT_EQ(CatalogueUpdateUrl(), "http://own.example/update/Data.htm");
    }
    for (const char* company :
         {"dravmont software", "Dravmont Software ", " Dravmont Software", ""}) {
        ScopedVersionInfo edition(Edition(company));
        EXPECT_FALSE(IsResellerEdition()) << '"' << company << '"';
        EXPECT_EQ(CatalogueUpdateUrl(), "http://vendor.example/TV/Data.htm");
    }
}

TEST(ProductInfo, ResellerTestReadsTheVersionInfoAfreshNotTheStoredValues) {
    ScopedVersionInfo outer(Edition("Dravmont Software"));
    LoadProductInfo();
    ScopedVersionInfo inner(Edition("Someone Else"));
    EXPECT_EQ(Branding().CompanyName, "Dravmont Software");
    EXPECT_FALSE(IsResellerEdition());
}

TEST(ProductInfo, WebsiteGetsHttpOnlyWhenItNamesNoSchemeAnywhere) {
    EXPECT_EQ(WebsiteAddress("quorvel.example"), "http://quorvel.example");
    EXPECT_EQ(WebsiteAddress("https://quorvel.example"), "https://quorvel.example");
    EXPECT_EQ(WebsiteAddress("HTTPS://quorvel.example"), "HTTPS://quorvel.example");
    // "Anywhere" means anywhere, not only at the start.
    EXPECT_EQ(WebsiteAddress("see http://quorvel.example"), "see http://quorvel.example");
    EXPECT_EQ(WebsiteAddress("http:/quorvel.example"), "http://http:/quorvel.example");
}

TEST(ProductInfo, VersionLabelHasNoLeadingZeros) {
    VersionInfo info;
    info.major = 2;
    info.minor = 10;
    EXPECT_EQ(VersionLabel(info), "2.10");
    info.minor = 1;
    EXPECT_EQ(VersionLabel(info), "2.1");
}

TEST(ProductInfo, LoadProductInfoCopiesTheVersionInfoAndResetsTheSwitches) {
    {
        ScopedVersionInfo edition(Edition("Larkspur Media Works", ""));
        ScopedBrandingSwitches delivered({});  // whatever switches this build was given
        LoadProductInfo();
        LoadProductInfo();  // may run any number of times
        const BrandingValues& b = Branding();
        EXPECT_EQ(b.ProgramName, "Streamora");
        EXPECT_EQ(b.CompanyName, "Larkspur Media Works");
        EXPECT_EQ(b.Website, "");
        EXPECT_FALSE(b.SkinEnabled);
        EXPECT_FALSE(b.BannerEnabled);
        EXPECT_EQ(b.BannerUrl, "http://");
    }
    // Outside the scope the build's own version information is back.
    LoadProductInfo();
    EXPECT_EQ(Branding().ProgramName, CurrentVersionInfo().productName);
    EXPECT_EQ(Branding().Website, CurrentVersionInfo().comments);
    EXPECT_FALSE(CurrentVersionInfo().productName.empty());
}

}  // namespace
}  // namespace quorvel
