#pragma once

#include <filesystem>

// Where the program and the libraries under it write. Everything goes into the
// application directory, nothing into the user's home.
namespace WritablePlaces {

// The folder for caches that Qt, the graphics driver and the font library keep
// ("Cache" in the application directory). Call before the application object
// exists: the libraries read the place when they start.
void keepCachesIn(const std::filesystem::path &appDir);

// The folder of the running executable.
std::filesystem::path executableDirectory();

} // namespace WritablePlaces
