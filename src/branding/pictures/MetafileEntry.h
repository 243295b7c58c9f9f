#pragma once

#include <cstddef>

class QImage;

// The metafile library's entry point, which BannerPicture looks up by name:
// draws the Windows metafile in the size bytes at bytes, an Enhanced Metafile
// (EMF) when enhanced is set, else a Windows Metafile (WMF), into *image at
// the picture's own size. False, and *image untouched, when the bytes are no
// metafile of that kind or cannot be played.
extern "C" bool postwright_draw_metafile(const char *bytes, std::size_t size, bool enhanced, QImage *image);
