#pragma once

#include <string_view>

// How a banner picture is read, told by names rather than by its bytes: the
// pictures are stored under neutral names, and the branding file says what
// each one is.
namespace BannerFormat {

enum class Kind { Unknown, Bitmap, Icon, Jpeg, Wmf, Emf };

// Whether the full path of the picture under its banner name holds ".gif"
// anywhere, in any case: then it is played as an animation. The whole path
// counts, so "ad.gif.old" plays too.
bool IsAnimated(std::string_view fullPath);

// The still-picture format that a file name's extension names, in any case:
// bmp, ico, jpg or jpeg, wmf, emf. Anything else is Unknown.
Kind StillKind(std::string_view fileName);

} // namespace BannerFormat
