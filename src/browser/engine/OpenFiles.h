#pragma once

#include <chrono>
#include <filesystem>

// Whether this process holds file open, under any of the names that lead to
// it. Read from /proc/self/fd.
bool IsOpenInThisProcess(const std::filesystem::path &file);

// Waits until this process no longer holds file open, for at most timeout.
// False when it still does then.
bool WaitUntilClosed(const std::filesystem::path &file, std::chrono::milliseconds timeout);
