#include "BannerFormat.h"

#include <algorithm>
#include <string>

namespace BannerFormat {
namespace {

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

} // namespace

bool IsAnimated(std::string_view fullPath)
{
    return lowerCase(fullPath).find(".gif") != std::string::npos;
}

Kind StillKind(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return Kind::Unknown;
    const std::string extension = lowerCase(fileName.substr(dot + 1));
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
