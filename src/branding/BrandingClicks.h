#pragma once

#include "TBrandingState.h"

// The pages the branding opens in the user's own browser.
namespace BrandingClicks {

// The chosen banner's page; nothing when it has none.
void openBannerPage(const TBrandingState &state);

// The affiliate site's root address with the affiliate identifier.
void openAffiliateSite(const TBrandingState &state);

// The help page.
void openHelp();

} // namespace BrandingClicks
