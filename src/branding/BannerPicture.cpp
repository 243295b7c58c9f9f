#include "BannerPicture.h"

#include "Metafile.h"

#include <QBuffer>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QSvgRenderer>

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

QPixmap drawSvg(const std::optional<Metafile::Svg> &svg)
{
    if (!svg)
        return {};
    QSvgRenderer renderer(QByteArray::fromStdString(svg->text));
    if (!renderer.isValid())
        return {};
    QImage image(svg->width, svg->height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, svg->width, svg->height));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap still(const QByteArray &bytes, BannerFormat::Kind kind)
{
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    switch (kind) {
    case BannerFormat::Kind::Bitmap:
        return QPixmap::fromImage(readImage(bytes, "bmp"));
    case BannerFormat::Kind::Icon:
        return QPixmap::fromImage(readImage(bytes, "ico"));
    case BannerFormat::Kind::Jpeg:
        return QPixmap::fromImage(readImage(bytes, "jpeg"));
    case BannerFormat::Kind::Wmf:
        return drawSvg(Metafile::WmfToSvg(view));
    case BannerFormat::Kind::Emf:
        return drawSvg(Metafile::EmfToSvg(view));
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
