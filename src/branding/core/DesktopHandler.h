#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The application the desktop registers for a MIME type, found the way the
// XDG association rules say: the "mimeapps.list" files of the user's and the
// system's configuration and data folders, the desktop-specific ones first,
// and the desktop entries installed under the data folders' "applications".
namespace DesktopHandler {

// The folders the search goes through.
struct XdgDirs {
    std::filesystem::path configHome;
    std::vector<std::filesystem::path> configDirs;
    std::filesystem::path dataHome;
    std::vector<std::filesystem::path> dataDirs;
    // The current desktop names, in small letters ("gnome", "kde").
    std::vector<std::string> desktops;

    // From XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and
    // XDG_CURRENT_DESKTOP, with the defaults the XDG rules give.
    static XdgDirs fromEnvironment();
};

// The desktop entry file of the application that opens mimeType by default:
// the first installed entry that a "Default Applications" list names, or,
// without one, the first installed application associated with the type that
// no list removed. Nothing when no application is registered for it.
std::optional<std::filesystem::path> DefaultEntry(std::string_view mimeType, const XdgDirs &dirs);

// The "Exec" value of a desktop entry file's "Desktop Entry" group, with the
// escapes of its string value still in it. Nothing when the file cannot be
// read, is hidden or has no "Exec".
std::optional<std::string> ExecOf(const std::filesystem::path &desktopFile);

} // namespace DesktopHandler
