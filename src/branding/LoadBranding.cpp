#include "LoadBranding.h"

#include "BannerFormat.h"
#include "BannerPicture.h"
#include "BannerRename.h"
#include "BrandingFile.h"
#include "FooterLinks.h"
#include "TIniFile.h"
#include "TRandom.h"
#include "TextFile.h"
#include "WidgetText.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMovie>

#include <exception>

namespace fs = std::filesystem;
using namespace BrandingFile;

namespace {

std::string read(const TIniFile &ini, std::string_view key)
{
    return ini.ReadString(Section, key, "");
}

void setStripHeight(QWidget *panBanner, int pictureHeight)
{
    panBanner->resize(panBanner->width(), pictureHeight + 10);
    // The docking layout takes the strip's new height at its next pass.
    if (QWidget *parent = panBanner->parentWidget(); parent && parent->layout())
        parent->layout()->invalidate();
}

// Shows the picture file under its banner name in the still or the animated
// banner. False when it could not be read or decoded.
bool showPicture(const fs::path &file, const BrandingControls &c)
{
    QByteArray bytes;
    try {
        const auto content = TextFile::readIfExists(file);
        if (!content)
            return false;
        bytes = QByteArray::fromStdString(*content);
    } catch (const std::exception &) {
        return false; // an unreadable picture only costs the banner
    }

    if (BannerFormat::IsAnimated(file.string())) {
        c.gifBanner->show();
        c.imgBanner->hide();
        QMovie *movie = BannerPicture::animation(bytes, c.gifBanner);
        if (!movie)
            return false;
        if (QMovie *old = c.gifBanner->movie())
            old->deleteLater();
        c.gifBanner->setMovie(movie);
        movie->start();
        c.gifBanner->resize(movie->currentImage().size());
        setStripHeight(c.panBanner, c.gifBanner->height());
        return true;
    }
    c.gifBanner->hide();
    c.imgBanner->show();
    const QPixmap picture = BannerPicture::still(bytes, BannerFormat::StillKind(file.filename().string()));
    if (picture.isNull())
        return false;
    c.imgBanner->setPixmap(picture);
    c.imgBanner->resize(picture.size());
    setStripHeight(c.panBanner, c.imgBanner->height());
    return true;
}

// The chosen banner at position in appDir: its "dbimg" picture renamed to the
// banner's file name for loading and back.
bool showBanner(const fs::path &appDir, std::size_t position, const std::string &path,
                const BrandingControls &c)
{
    const fs::path named = FileInAppDir(appDir, path);
    if (named.empty())
        return false;
    // A missing picture fails the first rename.
    return BannerRename::readUnderName(appDir / PictureFileName(position), named,
                                       [&](const fs::path &file) { return showPicture(file, c); });
}

void applyIcon(const fs::path &file, QWidget *window)
{
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return;
    QIcon icon;
    try {
        if (const auto bytes = TextFile::readIfExists(file))
            icon = BannerPicture::icon(QByteArray::fromStdString(*bytes));
    } catch (const std::exception &) {
        return; // the program keeps its own icon
    }
    if (icon.isNull())
        return;
    window->setWindowIcon(icon);
    // The icon the task bar shows for the program.
    QApplication::setWindowIcon(icon);
}

} // namespace

void LoadBranding(const fs::path &appDir, const BrandingControls &c, TRandom &random,
                  const SkinLoader &loadSkin, TBrandingState &state)
{
    // 1. Nothing at all without the branding file.
    const fs::path config = appDir / ConfigFileName;
    std::error_code ec;
    if (fs::status(config, ec).type() == fs::file_type::not_found)
        return;

    // 2. Read once; a file that is there but cannot be read raises an error.
    const TIniFile ini(config);

    // 3. The caption, always with the version.
    c.window->setWindowTitle(
        WidgetText::toWidget(Caption(read(ini, "AppName"), WidgetText::fromWidget(c.window->windowTitle()))));

    // 4. The affiliate identifier.
    if (std::string id = read(ini, "AfiliateID"); !id.empty())
        state.affiliateId = std::move(id);

    // 5, 6. One banner chosen among the configured ones.
    const std::vector<Banner> banners = ReadBanners(ini);
    std::size_t position = 0;
    if (!banners.empty()) {
        position = random.below(banners.size());
        state.bannerUrl = banners[position].url;
        state.bannerPath = banners[position].path;
    }

    // 7. A banner that opens a page shows the hand.
    if (!state.bannerUrl.empty()) {
        c.imgBanner->setCursor(Qt::PointingHandCursor);
        c.gifBanner->setCursor(Qt::PointingHandCursor);
    }

    // 8, 9. The banner, or no strip at all. A banner that fails for want of
    // a library of the program's is reported once the rest is in place.
    std::exception_ptr bannerError;
    bool bannerShown = false;
    try {
        bannerShown = !state.bannerPath.empty() && showBanner(appDir, position, state.bannerPath, c);
    } catch (...) {
        bannerError = std::current_exception();
    }
    if (!bannerShown)
        c.panBanner->hide();

    // 10 to 12. Two different footer links.
    ChosenLinks links = ChooseLinks(ReadLinks(ini), random);
    state.link1Url = links.first.url;
    state.link1Name = links.first.name;
    state.link2Url = links.second.url;
    state.link2Name = links.second.name;
    FooterLinks::set(c.lblLink1URL, state.link1Name, state.link1Url);
    FooterLinks::set(c.lblLink2URL, state.link2Name, state.link2Url);

    // 13. The skin file.
    const fs::path skin = appDir / SkinFileName;
    if (fs::exists(skin, ec) && loadSkin)
        loadSkin(skin);

    // 14. The icon.
    if (std::string iconPath = read(ini, "IconPath"); !iconPath.empty()) {
        state.iconPath = std::move(iconPath);
        const fs::path icon = FileInAppDir(appDir, state.iconPath);
        if (!icon.empty())
            applyIcon(icon, c.window);
    }
    if (bannerError)
        std::rethrow_exception(bannerError);
}
