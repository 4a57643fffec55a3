#include "appearance/ProductInfo.h"

#include "appearance/BuildVersion.h"
#include "files/TextCase.h"

namespace quorvel {
namespace {

const VersionInfo& BuildVersionInfo() {
    static const VersionInfo info{
        build::kProductName,     build::kCompanyName,       build::kComments,
        build::kVersionMajor,    build::kVersionMinor,      build::kVersionRevision,
        build::kFileVersionText, build::kProductUpdateHost, build::kVendorUpdateHost};
    return info;
}

const BrandingSwitches& BuildBrandingSwitches() {
    static const BrandingSwitches switches{build::kSkinEnabled, build::kBannerEnabled,
                                           build::kBannerUrl, build::kSkinFile};
    return switches;
}

const VersionInfo* g_override = nullptr;
const BrandingSwitches* g_switchesOverride = nullptr;
BrandingValues g_branding;

}  // namespace

const VersionInfo& CurrentVersionInfo() {
    return g_override ? *g_override : BuildVersionInfo();
}

ScopedVersionInfo::ScopedVersionInfo(VersionInfo info)
    : m_previous(g_override), m_info(std::move(info)) {
    g_override = &m_info;
}

ScopedVersionInfo::~ScopedVersionInfo() {
    g_override = m_previous;
}

const BrandingSwitches& CurrentBrandingSwitches() {
    return g_switchesOverride ? *g_switchesOverride : BuildBrandingSwitches();
}

ScopedBrandingSwitches::ScopedBrandingSwitches(BrandingSwitches switches)
    : m_previous(g_switchesOverride), m_switches(std::move(switches)) {
    g_switchesOverride = &m_switches;
}

ScopedBrandingSwitches::~ScopedBrandingSwitches() {
    g_switchesOverride = m_previous;
}

const BrandingValues& Branding() {
    return g_branding;
}

void LoadProductInfo() {
    const VersionInfo& info = CurrentVersionInfo();
    g_branding.ProgramName = info.productName;
    g_branding.CompanyName = info.companyName;
    g_branding.Website = info.comments;
    const BrandingSwitches& switches = CurrentBrandingSwitches();
    g_branding.SkinEnabled = switches.skinEnabled;
    g_branding.BannerEnabled = switches.bannerEnabled;
    g_branding.BannerUrl = switches.bannerUrl;
}

bool IsResellerEdition() {
    return CurrentVersionInfo().companyName == kResellerCompanyName;
}

std::string VersionLabel(const VersionInfo& info) {
    return std::to_string(info.major) + "." + std::to_string(info.minor);
}

std::string WebsiteAddress(std::string_view website) {
    if (ContainsIgnoringCase(website, "https://") || ContainsIgnoringCase(website, "http://")) {
        return std::string(website);
    }
    return "http://" + std::string(website);
}

std::string CatalogueUpdateUrl() {
    const VersionInfo& info = CurrentVersionInfo();
    if (IsResellerEdition()) {
        return "http://" + info.productUpdateHost + "/update/Data.htm";
    }
    return "http://" + info.vendorUpdateHost + "/TV/Data.htm";
}

}  // namespace quorvel
