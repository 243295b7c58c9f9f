#include "WritablePlaces.h"

#include <QByteArray>
#include <QtGlobal>

#include <system_error>

namespace WritablePlaces {

void keepCachesIn(const std::filesystem::path &appDir)
{
    // Qt's shader cache, the graphics driver's shader cache and the font
    // cache all follow the user's cache folder; the program's is its own.
    const std::filesystem::path cache = std::filesystem::absolute(appDir / "Cache");
    // The graphics driver makes its own folder only where the parent exists.
    // A folder that cannot be made leaves the caches off, which costs only time.
    std::error_code ec;
    std::filesystem::create_directories(cache, ec);
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.string()));
    qputenv("MESA_SHADER_CACHE_DIR", QByteArray::fromStdString((cache / "mesa_shader_cache").string()));
    qputenv("__GL_SHADER_DISK_CACHE_PATH", QByteArray::fromStdString((cache / "nvidia").string()));
}

std::filesystem::path executableDirectory()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

} // namespace WritablePlaces
