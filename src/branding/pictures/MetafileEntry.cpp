#include "MetafileEntry.h"

#include "Metafile.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <string_view>

extern "C" Q_DECL_EXPORT bool postwright_draw_metafile(const char *bytes, std::size_t size, bool enhanced,
                                                       QImage *image)
{
    const std::string_view view(bytes, size);
    const std::optional<Metafile::Svg> svg = enhanced ? Metafile::EmfToSvg(view) : Metafile::WmfToSvg(view);
    if (!svg)
        return false;
    QSvgRenderer renderer(QByteArray::fromStdString(svg->text));
    if (!renderer.isValid())
        return false;
    QImage drawn(svg->width, svg->height, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    renderer.render(&painter, QRectF(0, 0, svg->width, svg->height));
    painter.end();
    *image = std::move(drawn);
    return true;
}
