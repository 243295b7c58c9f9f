#pragma once

#include "MessageBoxRules.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The version this program compares with the update server's, as the 32-bit
// number it is kept in (exactly 1.0099999904632568359375).
inline constexpr float BuiltInVersion = 1.01f;

// The update description, fetched from below the base address and kept in the
// application directory.
inline constexpr std::string_view UpdateFileName = "mainappupdate.inf";

// The separate program that replaces this one's files, beside it.
#ifdef _WIN32
inline constexpr std::string_view UpdaterFileName = "Updater.exe";
#else
inline constexpr std::string_view UpdaterFileName = "Updater";
#endif

// A version text as a 32-bit number, with separator as the decimal separator:
// the nearest float to the decimal value. An optional sign, digits with at
// most one separator, an optional exponent; blanks around it are allowed.
// Anything else (empty, letters, another separator) gives 0.
float VersionNumber(std::string_view text, char separator);

// A version as the updater is given it: general format, 15 significant
// digits, no trailing zeros, separator as the decimal separator.
std::string VersionText(float version, char separator);

// What one update check needs from its surroundings.
struct TUpdateCheck {
    std::filesystem::path appDir;
    // Ends in "/"; the description file's name is appended to it.
    std::string baseUrl;
    float builtInVersion = BuiltInVersion;
    // The user's locale's decimal separator.
    char decimalSeparator = '.';
    // Downloads an address into a file (DownloadFile over the caller's client).
    std::function<bool(const std::string &source, const std::filesystem::path &file)> download;
    // Shows a message box and returns its result (1 OK, 2 Cancel or closed).
    std::function<int(const std::string &text, TMsgKind kind, TMsgButtons buttons)> showMessage;
    // Starts a program directly, with these arguments; what comes of it is not
    // looked at.
    std::function<void(const std::filesystem::path &program, const std::vector<std::string> &arguments)>
        startUpdater;
};

enum class TUpdateOutcome {
    NoUpdate,       // nothing newer, or the download failed
    Declined,       // the user answered Cancel to a question
    UpdaterMissing, // the user agreed, but the updater is not there
    UpdaterStarted, // the updater runs: the program must close now
    Stopped,        // the transfer was stopped because the window is closing
};

// Downloads the update description, compares its version with the built-in
// one and, when it is newer and the user agrees twice, starts the updater.
// silent leaves out the message that no update is there. A description file
// that cannot be created raises EFileError.
TUpdateOutcome CheckForUpdates(const TUpdateCheck &check, bool silent);

namespace UpdateTexts {
std::string newVersion(std::string_view versionText);
inline constexpr std::string_view UpdaterMissing =
    "The updater module is missing. Please reinstall again the current version!";
inline constexpr std::string_view CloseToUpdate = "To update your software the application will close to\n\r"
                                                  "replace some files. Do you want to update now?";
inline constexpr std::string_view NoUpdate = "There's no new updates for this application!";
} // namespace UpdateTexts
