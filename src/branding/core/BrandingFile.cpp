#include "BrandingFile.h"

#include "TIniFile.h"
#include "TRandom.h"
#include "Version.h"

namespace BrandingFile {

std::string Caption(std::string_view appName, std::string_view currentCaption)
{
    std::string caption(appName.empty() ? currentCaption : appName);
    caption += " v";
    caption += Version::Text;
    return caption;
}

std::vector<Banner> ReadBanners(const TIniFile &ini)
{
    std::vector<Banner> banners;
    for (int n = 1; n <= MaxBanners; ++n) {
        std::string path = ini.ReadString(Section, "BannerPath" + std::to_string(n), "");
        if (path.empty())
            continue;
        banners.push_back(
            Banner{std::move(path), ini.ReadString(Section, "BannerURL" + std::to_string(n), "")});
    }
    return banners;
}

std::vector<Link> ReadLinks(const TIniFile &ini)
{
    std::vector<Link> links;
    for (int n = 1; n <= MaxLinks; ++n) {
        const std::string key = "Link" + std::to_string(n);
        std::string url = ini.ReadString(Section, key + "URL", "");
        if (url.empty())
            continue;
        links.push_back(Link{std::move(url), ini.ReadString(Section, key + "Name", "")});
    }
    return links;
}

ChosenLinks ChooseLinks(std::vector<Link> links, TRandom &random)
{
    ChosenLinks chosen;
    if (links.empty())
        return chosen;
    auto first = links.begin() + static_cast<std::ptrdiff_t>(random.below(links.size()));
    chosen.first = std::move(*first);
    links.erase(first);
    if (!links.empty())
        chosen.second = std::move(links[random.below(links.size())]);
    return chosen;
}

std::string FileNamePart(std::string_view path)
{
    const std::size_t cut = path.find_last_of("\\:/");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::filesystem::path FileInAppDir(const std::filesystem::path &appDir, std::string_view path)
{
    const std::string name = FileNamePart(path);
    if (name.empty() || name == "." || name == "..")
        return {};
    return appDir / name;
}

std::string PictureFileName(std::size_t position)
{
    return "dbimg" + std::to_string(position + 1) + ".dat";
}

std::string AffiliateAddress(std::string_view rootAddress, std::string_view affiliateId)
{
    std::string address(rootAddress);
    if (address.empty() || address.back() != '/')
        address += '/';
    address += affiliateId;
    return address;
}

} // namespace BrandingFile
