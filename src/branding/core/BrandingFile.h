#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TIniFile;
class TRandom;

// The branding file beside the program and what it names.
namespace BrandingFile {

inline constexpr std::string_view ConfigFileName = "dbconfig.dat";
inline constexpr std::string_view SkinFileName = "dbskin.dat";
inline constexpr std::string_view Section = "Settings";

inline constexpr int MaxBanners = 3;
inline constexpr int MaxLinks = 4;

// A configured banner: its picture path (only the file-name part counts) and
// the page a click opens, which may be empty.
struct Banner {
    std::string path;
    std::string url;
};

// A configured footer link: its address and its caption, which may be empty.
struct Link {
    std::string url;
    std::string name;
};

// The caption the window gets: appName when it is not empty, otherwise the
// caption it has, followed by " v" and the program's version text.
std::string Caption(std::string_view appName, std::string_view currentCaption);

// The banners whose "BannerPath" n is not empty, for n = 1 to 3 in key order,
// each with its "BannerURL" n. A "BannerURL" without its path is never read.
std::vector<Banner> ReadBanners(const TIniFile &ini);

// The links whose "Link" n "URL" is not empty, for n = 1 to 4 in key order,
// each with its "Link" n "Name".
std::vector<Link> ReadLinks(const TIniFile &ini);

// The two footer links: link 1 chosen among all, link 2 among the rest, every
// entry equally likely, so the two are never the same entry. A link that was
// not chosen (too few configured) is empty.
struct ChosenLinks {
    Link first;
    Link second;
};
ChosenLinks ChooseLinks(std::vector<Link> links, TRandom &random);

// The text after the last "\", ":" or "/" of a path (the whole text when it
// holds none of them). The forward slash counts too, so that no name taken
// from the branding file can reach outside the application directory.
std::string FileNamePart(std::string_view path);

// The file in appDir that a path's file-name part names, or an empty path when
// that part cannot name a file there ("", "." or "..").
std::filesystem::path FileInAppDir(const std::filesystem::path &appDir, std::string_view path);

// The banner picture of the banner at position (counted from 0 among the
// configured banners): "dbimg1.dat" for position 0.
std::string PictureFileName(std::size_t position);

// The affiliate site's address for "Make Money": the root address, which ends
// in "/", with the affiliate identifier directly after it.
std::string AffiliateAddress(std::string_view rootAddress, std::string_view affiliateId);

} // namespace BrandingFile
