#pragma once

#include <string>

// What the main window keeps of the branding file after reading it at start;
// all empty until then, and empty where the file says nothing.
struct TBrandingState {
    std::string affiliateId;
    std::string bannerUrl;  // the chosen banner's page
    std::string bannerPath; // the chosen banner's picture path
    std::string link1Url;
    std::string link1Name;
    std::string link2Url;
    std::string link2Name;
    std::string iconPath;
};
