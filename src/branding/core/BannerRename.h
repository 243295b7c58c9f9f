#pragma once

#include <filesystem>
#include <functional>
#include <system_error>

// A banner picture is stored under a neutral name and read under the name the
// branding file gives it. Renaming never replaces a file: when the target name
// is taken the rename fails and both files stay as they were.
namespace BannerRename {

// Renames from to to, failing with EEXIST when to exists. Returns the error, or
// an empty one on success.
std::error_code renameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to);

// Renames picture to named, calls read with the picture under its new name and
// renames it back, also when read throws. Returns true only when both renames
// and read succeeded. A failing rename leaves every file as it was: no file is
// overwritten and the picture is never lost; when the rename back fails, the
// picture stays under named. A named equal to picture needs no rename.
bool readUnderName(const std::filesystem::path &picture, const std::filesystem::path &named,
                   const std::function<bool(const std::filesystem::path &)> &read);

} // namespace BannerRename
