#pragma once

#include <QByteArrayView>

// The PNG reader plugin built into the program (PngReader.cpp) and what it
// knows of the format.
namespace PngReader {

// Whether bytes begin with PNG's signature.
bool startsAsPng(QByteArrayView bytes);

} // namespace PngReader
