#include "SkinFile.h"

#include "PngReader.h"
#include "SkinArchive.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace SkinFile {

const char *const ColourNames[] = {"frame",     "frameInactive",     "title",      "titleInactive",
                                   "titleText", "titleTextInactive", "clientArea", nullptr};

namespace {

constexpr int MaxPictureSide = 4096;
constexpr qsizetype MaxManifestSize = 64 * 1024;

std::optional<int> intIn(const QJsonValue &value, int low, int high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= low && d <= high) || d != double(int(d)))
        return std::nullopt;
    return int(d);
}

// The size of a picture of the skin, read from its header without decoding it.
std::optional<QSize> pictureSize(const QMap<QString, QByteArray> &files, const QJsonValue &path)
{
    if (!path.isString())
        return std::nullopt;
    const auto file = files.constFind(path.toString());
    if (file == files.constEnd())
        return std::nullopt;
    QByteArray bytes = *file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // PNG, which skins are drawn in, is named at once: guessing the format
    // from the content would load every image format plugin to ask it.
    if (PngReader::startsAsPng(bytes)) {
        reader.setFormat("png");
        reader.setAutoDetectImageFormat(false);
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.width() < 1 || size.height() < 1 || size.width() > MaxPictureSide ||
        size.height() > MaxPictureSide)
        return std::nullopt;
    return size;
}

std::optional<QFont> fontOf(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const QJsonValue family = o.value(QLatin1String("family"));
    const std::optional<int> pixels = intIn(o.value(QLatin1String("pixelSize")), 6, 72);
    if (!family.isString() || family.toString().isEmpty() || family.toString().size() > 100 || !pixels)
        return std::nullopt;
    QFont font(family.toString());
    font.setPixelSize(*pixels);
    font.setBold(o.value(QLatin1String("bold")).toBool(false));
    font.setItalic(o.value(QLatin1String("italic")).toBool(false));
    return font;
}

void readManifest(const QByteArray &json, const QMap<QString, QByteArray> &files, TSkinValues &values)
{
    if (json.size() > MaxManifestSize)
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    const QJsonObject manifest = document.object();
    if (intIn(manifest.value(QLatin1String("format")), FormatVersion, FormatVersion) != FormatVersion)
        return;

    const QJsonValue name = manifest.value(QLatin1String("name"));
    if (name.isString() && name.toString().size() <= 100)
        values.name = name.toString();
    if (const auto h = intIn(manifest.value(QLatin1String("titleBarHeight")), 12, 64))
        values.titleBarHeight = *h;

    const QJsonObject borders = manifest.value(QLatin1String("borders")).toObject();
    const auto border = [&borders](const char *key, int fallback) {
        return intIn(borders.value(QLatin1String(key)), 0, 16).value_or(fallback);
    };
    values.borders =
        QMargins(border("left", values.borders.left()), border("top", values.borders.top()),
                 border("right", values.borders.right()), border("bottom", values.borders.bottom()));

    const QJsonObject pictures = manifest.value(QLatin1String("pictures")).toObject();
    if (const auto frame = pictureSize(files, pictures.value(QLatin1String("frame"))))
        values.framePictureWidth = frame->width();
    if (const auto button = pictureSize(files, pictures.value(QLatin1String("button"))))
        values.buttonHeight = button->height();

    const QJsonObject colours = manifest.value(QLatin1String("colors")).toObject();
    for (const char *const *key = ColourNames; *key; ++key) {
        const QJsonValue colour = colours.value(QLatin1String(*key));
        if (colour.isString() && QColor::isValidColorName(colour.toString()))
            values.colours.insert(QLatin1String(*key), QColor::fromString(colour.toString()));
    }

    const QJsonObject fonts = manifest.value(QLatin1String("fonts")).toObject();
    if (auto f = fontOf(fonts.value(QLatin1String("title"))))
        values.titleFont = f;
    if (auto f = fontOf(fonts.value(QLatin1String("message"))))
        values.messageFont = f;
    if (auto f = fontOf(fonts.value(QLatin1String("button"))))
        values.buttonFont = f;
}

} // namespace

std::optional<TSkinContents> parse(const QByteArray &bytes, const TSkinValues &fallback)
{
    if (bytes.size() > SkinArchive::MaxFileSize)
        return std::nullopt;
    std::optional<QMap<QString, QByteArray>> files = SkinArchive::read(bytes);
    if (!files)
        return std::nullopt;
    const auto sheet = files->constFind(QStringLiteral("skin.qss"));
    if (sheet == files->constEnd())
        return std::nullopt;

    TSkinContents skin;
    skin.styleSheet = QString::fromUtf8(*sheet);
    skin.values = fallback;
    readManifest(files->value(QStringLiteral("skin.json")), *files, skin.values);
    skin.files = std::move(*files);
    return skin;
}

QString resolvePictures(const QString &styleSheet, const QMap<QString, QByteArray> &files,
                        const QString &root)
{
    static const QRegularExpression url(QStringLiteral(R"(url\(\s*(["']?)([^"')]*)\1\s*\))"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(styleSheet.size());
    qsizetype last = 0;
    for (QRegularExpressionMatchIterator it = url.globalMatch(styleSheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(styleSheet).mid(last, m.capturedStart() - last);
        const QString address = m.captured(2).trimmed();
        const QString prefix = QStringLiteral("skin:/");
        const QString path = address.startsWith(prefix) ? address.mid(prefix.size()) : QString();
        if (!path.isEmpty() && files.contains(path))
            out += QStringLiteral("url(\"%1/%2\")").arg(root, path);
        else
            out += QStringLiteral("none");
        last = m.capturedEnd();
    }
    out += QStringView(styleSheet).mid(last);
    return out;
}

} // namespace SkinFile
