#include "BannerFormat.h"

#include "UUtils.h"

#include <string>

namespace BannerFormat {

bool IsAnimated(std::string_view fullPath)
{
    return UUtils::AsciiLowerCase(fullPath).find(".gif") != std::string::npos;
}

Kind StillKind(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return Kind::Unknown;
    const std::string extension = UUtils::AsciiLowerCase(fileName.substr(dot + 1));
    if (extension == "bmp")
        return Kind::Bitmap;
    if (extension == "ico")
        return Kind::Icon;
    if (extension == "jpg" || extension == "jpeg")
        return Kind::Jpeg;
    if (extension == "wmf")
        return Kind::Wmf;
    if (extension == "emf")
        return Kind::Emf;
    return Kind::Unknown;
}

} // namespace BannerFormat
