#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// The version information a build carries; generated from the build options.
struct VersionInfo {
    std::string productName;
    std::string companyName;
    std::string comments;
    int major = 0;
    int minor = 0;
    int revision = 0;
    std::string fileVersionText;
    std::string productUpdateHost;
    std::string vendorUpdateHost;
};

// The build's version information, read afresh on every call. Tests may replace it
// with ScopedVersionInfo to see another edition.
const VersionInfo& CurrentVersionInfo();

class ScopedVersionInfo {
public:
    explicit ScopedVersionInfo(VersionInfo info);
    ~ScopedVersionInfo();
    ScopedVersionInfo(const ScopedVersionInfo&) = delete;
    ScopedVersionInfo& operator=(const ScopedVersionInfo&) = delete;

private:
    const VersionInfo* m_previous = nullptr;
    VersionInfo m_info;
};

// The skin and banner switches of a build (off as delivered; build options turn them on).
struct BrandingSwitches {
    bool skinEnabled = false;
    bool bannerEnabled = false;
    std::string bannerUrl = "http://";
    // Which of the shipped skins the skin control loads ("light", "dark").
    std::string skinFile = "light";
};

// The build's switches, or those of a ScopedBrandingSwitches while one lives. LoadProductInfo
// copies them into the branding values, so tests run the windows with each switch on.
const BrandingSwitches& CurrentBrandingSwitches();

class ScopedBrandingSwitches {
public:
    explicit ScopedBrandingSwitches(BrandingSwitches switches);
    ~ScopedBrandingSwitches();
    ScopedBrandingSwitches(const ScopedBrandingSwitches&) = delete;
    ScopedBrandingSwitches& operator=(const ScopedBrandingSwitches&) = delete;

private:
    const BrandingSwitches* m_previous = nullptr;
    BrandingSwitches m_switches;
};

// Program-wide branding values; nothing but LoadProductInfo writes them.
struct BrandingValues {
    std::string ProgramName;
    std::string CompanyName;
    std::string Website;
    bool SkinEnabled = false;
    bool BannerEnabled = false;
    std::string BannerUrl = "http://";
};

const BrandingValues& Branding();
void LoadProductInfo();

// The one reseller whose edition shows extra categories and updates from its own site.
inline constexpr std::string_view kResellerCompanyName = "Dravmont Software";
bool IsResellerEdition();

// "major.minor", each without leading zeros, as the about window shows it.
std::string VersionLabel(const VersionInfo& info);

// A bare host gets "http://" in front; anything holding a scheme already is left alone.
std::string WebsiteAddress(std::string_view website);

// Where the catalogue update fetches the published page for this edition.
std::string CatalogueUpdateUrl();

}  // namespace quorvel
