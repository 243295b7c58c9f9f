#include "BannerPicture.h"

#include "MetafileEntry.h"
#include "ModuleLibrary.h"

#include <QBuffer>
#include <QImageReader>
#include <QMovie>

namespace BannerPicture {
namespace {

QImage readImage(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format is the one the name gives, never guessed from the content.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// Metafiles are drawn by a library of their own, which alone needs the
// metafile readers and the SVG renderer: a run without such a banner never
// loads them.
QPixmap drawMetafile(const QByteArray &bytes, bool enhanced)
{
    const auto draw = reinterpret_cast<decltype(&postwright_draw_metafile)>(ModuleLibrary::resolve(
        QStringLiteral("PostwrightMetafile.so"), "postwright_draw_metafile", "Cannot load the metafile reader"));
    QImage image;
    if (!draw(bytes.constData(), static_cast<std::size_t>(bytes.size()), enhanced, &image))
        return {};
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap still(const QByteArray &bytes, BannerFormat::Kind kind)
{
    switch (kind) {
    case BannerFormat::Kind::Bitmap:
        return QPixmap::fromImage(readImage(bytes, "bmp"));
    case BannerFormat::Kind::Icon:
        return QPixmap::fromImage(readImage(bytes, "ico"));
    case BannerFormat::Kind::Jpeg:
        return QPixmap::fromImage(readImage(bytes, "jpeg"));
    case BannerFormat::Kind::Wmf:
        return drawMetafile(bytes, false);
    case BannerFormat::Kind::Emf:
        return drawMetafile(bytes, true);
    case BannerFormat::Kind::Unknown:
        break;
    }
    return {};
}

QMovie *animation(const QByteArray &bytes, QObject *parent)
{
    // The movie would read other formats too, guessing from the content, and
    // it tells a broken file only once it plays: its first frame is read
    // here first.
    if ((!bytes.startsWith("GIF87a") && !bytes.startsWith("GIF89a")) || readImage(bytes, "gif").isNull())
        return nullptr;
    auto *movie = new QMovie(parent);
    // The buffer goes with the movie, after it.
    auto *buffer = new QBuffer(movie);
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    movie->setDevice(buffer);
    movie->setFormat("gif");
    // A GIF may ask to be played a number of times only; the banner plays on.
    QObject::connect(movie, &QMovie::finished, movie, &QMovie::start);
    return movie;
}

QIcon icon(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setAutoDetectImageFormat(false);
    QIcon icon;
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

} // namespace BannerPicture
