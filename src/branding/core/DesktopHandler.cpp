#include "DesktopHandler.h"

#include "TextFile.h"
#include "UUtils.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace DesktopHandler {
namespace {

// A desktop-entry style key file: groups of "key=value" lines, "#" comments.
// Of a key given twice in a group, the first counts.
class KeyFile {
public:
    // Nothing when the file is missing or cannot be read: a broken file of the
    // desktop's own must not keep the search from the next one.
    static std::optional<KeyFile> read(const fs::path &file)
    {
        std::optional<std::string> text;
        try {
            text = TextFile::readIfExists(file);
        } catch (const std::exception &) {
            return std::nullopt;
        }
        if (!text)
            return std::nullopt;
        KeyFile keys;
        std::map<std::string, std::string> *group = nullptr;
        for (std::string_view line : TextFile::splitLines(*text)) {
            line = UUtils::TrimSpacesAndTabs(line);
            if (line.empty() || line.front() == '#')
                continue;
            if (line.front() == '[' && line.back() == ']') {
                group = &keys.m_groups[std::string(line.substr(1, line.size() - 2))];
                continue;
            }
            const std::size_t eq = line.find('=');
            if (!group || eq == std::string_view::npos)
                continue;
            group->emplace(std::string(UUtils::TrimSpacesAndTabs(line.substr(0, eq))),
                           std::string(UUtils::TrimSpacesAndTabs(line.substr(eq + 1))));
        }
        return keys;
    }

    std::optional<std::string> value(const std::string &group, const std::string &key) const
    {
        auto g = m_groups.find(group);
        if (g == m_groups.end())
            return std::nullopt;
        auto k = g->second.find(key);
        if (k == g->second.end())
            return std::nullopt;
        return k->second;
    }

    // A list value for a MIME type, whose key compares without regard to case.
    std::vector<std::string> listFor(const std::string &group, std::string_view mimeType) const
    {
        std::vector<std::string> items;
        auto g = m_groups.find(group);
        if (g == m_groups.end())
            return items;
        const std::string wanted = UUtils::AsciiLowerCase(mimeType);
        for (const auto &[key, value] : g->second) {
            if (UUtils::AsciiLowerCase(key) != wanted)
                continue;
            std::string_view rest = value;
            while (!rest.empty()) {
                const std::size_t semicolon = rest.find(';');
                const std::string_view item = UUtils::TrimSpacesAndTabs(rest.substr(0, semicolon));
                if (!item.empty())
                    items.emplace_back(item);
                rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
            }
            break;
        }
        return items;
    }

private:
    std::map<std::string, std::map<std::string, std::string>> m_groups;
};

std::vector<fs::path> splitDirs(const char *value, std::vector<fs::path> fallback)
{
    if (!value || !*value)
        return fallback;
    std::vector<fs::path> dirs;
    std::string_view rest = value;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        // Relative entries are invalid by the XDG rules and are ignored.
        if (!dir.empty() && dir.front() == '/')
            dirs.emplace_back(dir);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return dirs;
}

fs::path homeDir(const char *value, const char *underHome)
{
    if (value && *value == '/')
        return value;
    const char *home = std::getenv("HOME");
    return fs::path(home ? home : "") / underHome;
}

// One folder of the search with the list files in it, highest precedence first.
struct Place {
    fs::path dir;
    bool holdsApplications; // a data folder's "applications", with entries and a cache
};

std::vector<Place> placesOf(const XdgDirs &dirs)
{
    std::vector<Place> places;
    places.push_back({dirs.configHome, false});
    for (const fs::path &d : dirs.configDirs)
        places.push_back({d, false});
    places.push_back({dirs.dataHome / "applications", true});
    for (const fs::path &d : dirs.dataDirs)
        places.push_back({d / "applications", true});
    return places;
}

std::vector<fs::path> listFilesOf(const Place &place, const XdgDirs &dirs)
{
    std::vector<fs::path> files;
    for (const std::string &desktop : dirs.desktops)
        files.push_back(place.dir / (desktop + "-mimeapps.list"));
    files.push_back(place.dir / "mimeapps.list");
    return files;
}

// The desktop file ID of a file under an "applications" folder: its path
// below that folder with "/" turned into "-".
std::string idOf(const fs::path &relative)
{
    std::string id = relative.generic_string();
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
}

class Resolver {
public:
    explicit Resolver(const XdgDirs &dirs)
    {
        m_applicationDirs.push_back(dirs.dataHome / "applications");
        for (const fs::path &d : dirs.dataDirs)
            m_applicationDirs.push_back(d / "applications");
    }

    // The entry of an installed application, or nothing when no folder holds
    // it, the first one that does hides it, or it cannot be started.
    std::optional<fs::path> installed(const std::string &id)
    {
        if (id.find('/') != std::string::npos || id == "." || id == "..")
            return std::nullopt;
        for (const fs::path &dir : m_applicationDirs) {
            std::optional<fs::path> file = find(dir, id);
            if (!file)
                continue;
            // The first folder holding the entry decides, even when it hides it.
            if (!ExecOf(*file))
                return std::nullopt;
            return file;
        }
        return std::nullopt;
    }

private:
    static std::optional<fs::path> find(const fs::path &dir, const std::string &id)
    {
        std::error_code ec;
        const fs::path direct = dir / id;
        if (fs::is_regular_file(direct, ec))
            return direct;
        // An entry in a subfolder: "kde4-app.desktop" may be "kde4/app.desktop".
        if (id.find('-') == std::string::npos)
            return std::nullopt;
        fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (it.depth() > 8) {
                it.disable_recursion_pending();
                continue;
            }
            if (it->is_regular_file(ec) && idOf(it->path().lexically_relative(dir)) == id)
                return it->path();
        }
        return std::nullopt;
    }

    std::vector<fs::path> m_applicationDirs;
};

} // namespace

XdgDirs XdgDirs::fromEnvironment()
{
    XdgDirs dirs;
    dirs.configHome = homeDir(std::getenv("XDG_CONFIG_HOME"), ".config");
    dirs.configDirs = splitDirs(std::getenv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    dirs.dataHome = homeDir(std::getenv("XDG_DATA_HOME"), ".local/share");
    dirs.dataDirs = splitDirs(std::getenv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    if (const char *current = std::getenv("XDG_CURRENT_DESKTOP")) {
        std::string_view rest = current;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view name = rest.substr(0, colon);
            if (!name.empty())
                dirs.desktops.push_back(UUtils::AsciiLowerCase(name));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return dirs;
}

std::optional<fs::path> DefaultEntry(std::string_view mimeType, const XdgDirs &dirs)
{
    Resolver resolver(dirs);
    const std::vector<Place> places = placesOf(dirs);

    // The defaults, in order of precedence; an entry that is not installed
    // passes the choice on to the next one. A data folder's older
    // "defaults.list" comes after its "mimeapps.list" files.
    for (const Place &place : places) {
        std::vector<fs::path> files = listFilesOf(place, dirs);
        if (place.holdsApplications)
            files.push_back(place.dir / "defaults.list");
        for (const fs::path &file : files) {
            const auto keys = KeyFile::read(file);
            if (!keys)
                continue;
            for (const std::string &id : keys->listFor("Default Applications", mimeType))
                if (auto entry = resolver.installed(id))
                    return entry;
        }
    }

    // No default: the first association that no file of higher precedence
    // removed, each folder's own cache of installed entries after its lists.
    std::set<std::string> removed;
    auto tryIds = [&](const std::vector<std::string> &ids) -> std::optional<fs::path> {
        for (const std::string &id : ids)
            if (!removed.count(id))
                if (auto entry = resolver.installed(id))
                    return entry;
        return std::nullopt;
    };
    for (const Place &place : places) {
        for (const fs::path &file : listFilesOf(place, dirs)) {
            const auto keys = KeyFile::read(file);
            if (!keys)
                continue;
            if (auto entry = tryIds(keys->listFor("Added Associations", mimeType)))
                return entry;
            for (const std::string &id : keys->listFor("Removed Associations", mimeType))
                removed.insert(id);
        }
        if (place.holdsApplications)
            if (const auto cache = KeyFile::read(place.dir / "mimeinfo.cache"))
                if (auto entry = tryIds(cache->listFor("MIME Cache", mimeType)))
                    return entry;
    }
    return std::nullopt;
}

std::optional<std::string> ExecOf(const fs::path &desktopFile)
{
    const auto keys = KeyFile::read(desktopFile);
    if (!keys)
        return std::nullopt;
    if (keys->value("Desktop Entry", "Hidden") == "true")
        return std::nullopt;
    auto exec = keys->value("Desktop Entry", "Exec");
    if (!exec || exec->empty())
        return std::nullopt;
    return exec;
}

} // namespace DesktopHandler
