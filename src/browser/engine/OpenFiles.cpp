#include "OpenFiles.h"

#include <system_error>
#include <thread>

namespace fs = std::filesystem;

bool IsOpenInThisProcess(const fs::path &file)
{
    // The links in /proc/self/fd name the files by their real paths.
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(file, ec);
    if (ec)
        return false;
    for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (fs::read_symlink(it->path(), linkError) == target && !linkError)
            return true;
    }
    return false;
}

bool WaitUntilClosed(const fs::path &file, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsOpenInThisProcess(file)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
