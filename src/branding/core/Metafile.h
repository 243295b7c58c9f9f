#pragma once

#include <optional>
#include <string>
#include <string_view>

// Windows metafiles turned into SVG text, which the windows then draw: there
// is no metafile reader in the toolkit. Each returns nothing when the bytes are
// no metafile of that kind or cannot be played.
namespace Metafile {

// A metafile as SVG text and the size in pixels the picture is shown at.
struct Svg {
    std::string text;
    int width = 0;
    int height = 0;
};

// A Windows Metafile (WMF), with or without its placeable header, through
// libwmf. Its size is the placeable header's frame at 96 dots per inch, or
// else the extent its drawing covers.
std::optional<Svg> WmfToSvg(std::string_view bytes);

// An Enhanced Metafile (EMF), through libemf2svg. Its size is the header's
// frame at 96 dots per inch, or else the header's bounds.
std::optional<Svg> EmfToSvg(std::string_view bytes);

} // namespace Metafile
