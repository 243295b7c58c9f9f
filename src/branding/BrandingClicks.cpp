#include "BrandingClicks.h"

#include "BrandingFile.h"
#include "BuildOptions.h"
#include "OpenInBrowser.h"

namespace BrandingClicks {

void openBannerPage(const TBrandingState &state)
{
    if (!state.bannerUrl.empty())
        OpenInBrowser(state.bannerUrl);
}

void openAffiliateSite(const TBrandingState &state)
{
    OpenInBrowser(BrandingFile::AffiliateAddress(BuildOptions::AffiliateUrl, state.affiliateId));
}

void openHelp()
{
    OpenInBrowser(BuildOptions::HelpUrl);
}

} // namespace BrandingClicks
