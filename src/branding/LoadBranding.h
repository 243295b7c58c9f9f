#pragma once

#include "TBrandingState.h"

#include <filesystem>
#include <functional>

class QLabel;
class QWidget;
class TRandom;

// The controls the branding file acts on.
struct BrandingControls {
    QWidget *window;     // its caption and icon
    QWidget *panBanner;  // the banner strip
    QLabel *imgBanner;   // still banner
    QLabel *gifBanner;   // animated banner
    QLabel *lblLink1URL; // left footer link
    QLabel *lblLink2URL; // right footer link
};

// Loads a skin file into the skin in force; true when the file held a skin.
using SkinLoader = std::function<bool(const std::filesystem::path &file)>;

// Reads "dbconfig.dat" in appDir once and applies it, step by step: the
// caption with the version, the affiliate identifier, one banner chosen at
// random and shown (the strip as high as the picture + 10, or hidden), two
// different footer links chosen at random, the skin file through loadSkin, and
// the application icon. Without "dbconfig.dat" nothing changes at all.
// A banner picture that is missing, cannot be read or decoded, names no known
// format, or cannot be renamed hides the strip; every file stays as it was.
// state receives what the window keeps, step by step, so that a step that
// raises an error leaves what the earlier ones found.
void LoadBranding(const std::filesystem::path &appDir, const BrandingControls &controls, TRandom &random,
                  const SkinLoader &loadSkin, TBrandingState &state);
