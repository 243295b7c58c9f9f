#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The files of a Qt binary resource file (the output of `rcc -binary`), read
// with every offset, length and count checked against the file: Qt's own reader
// trusts the file, and a skin file comes from anywhere.
namespace SkinArchive {

// Limits that keep a hostile file from taking the program's memory or time.
inline constexpr qsizetype MaxFileSize = 16 * 1024 * 1024;
inline constexpr qsizetype MaxUnpackedSize = 64 * 1024 * 1024;
inline constexpr int MaxEntries = 4096;
inline constexpr int MaxDepth = 16;

// Path (folders joined by "/", no leading "/") to content, unpacked. Empty when
// the bytes are not a well-formed resource file within the limits above.
std::optional<QMap<QString, QByteArray>> read(const QByteArray &data);

} // namespace SkinArchive
