#include "BannerRename.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace BannerRename {

std::error_code renameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to)
{
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return {};
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return std::error_code(errno, std::generic_category());
    // A file system without the atomic form: a hard link fails when the target
    // exists, and only then is the old name removed.
    if (::link(from.c_str(), to.c_str()) != 0)
        return std::error_code(errno, std::generic_category());
    if (::unlink(from.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());
        return std::error_code(err, std::generic_category());
    }
    return {};
#endif
}

bool readUnderName(const std::filesystem::path &picture, const std::filesystem::path &named,
                   const std::function<bool(const std::filesystem::path &)> &read)
{
    if (named == picture)
        return read(picture);
    if (renameNoReplace(picture, named))
        return false;

    // The picture goes back to its stored name on every way out of read.
    struct RenameBack {
        const std::filesystem::path &picture;
        const std::filesystem::path &named;
        bool &succeeded;
        ~RenameBack() { succeeded = !renameNoReplace(named, picture); }
    };
    bool back = false;
    bool readOk = false;
    {
        RenameBack renameBack{picture, named, back};
        readOk = read(named);
    }
    return readOk && back;
}

} // namespace BannerRename
