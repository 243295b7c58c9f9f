#pragma once

// Files and folders of a Windows test's own in the system's temporary folder,
// named with the process id, so that runs side by side never meet.
#include <windows.h>

#include <filesystem>
#include <string>

inline std::filesystem::path scratchPath(const std::wstring &stem, const std::wstring &suffix = {})
{
    wchar_t tempDir[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, tempDir);
    return std::filesystem::path(tempDir) / (stem + std::to_wstring(GetCurrentProcessId()) + suffix);
}
