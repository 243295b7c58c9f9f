#pragma once

#include "BannerFormat.h"

#include <QByteArray>
#include <QIcon>
#include <QPixmap>

class QMovie;
class QObject;

// Decoding the branding pictures from bytes already read, so that no file has
// to stay under any name once loading is over.
namespace BannerPicture {

// A still picture of the given format: bitmap, icon and JPEG through the image
// readers, WMF and EMF turned into SVG and drawn at their own size. A null
// pixmap when the bytes are not a picture of that format.
QPixmap still(const QByteArray &bytes, BannerFormat::Kind kind);

// A GIF animation over its own copy of the bytes, owned by parent, that plays
// every frame in an endless loop with its transparency. Null when the bytes
// are no GIF.
QMovie *animation(const QByteArray &bytes, QObject *parent);

// The application icon from an icon file, with every size it holds. A null
// icon when the bytes are no icon file.
QIcon icon(const QByteArray &bytes);

} // namespace BannerPicture
