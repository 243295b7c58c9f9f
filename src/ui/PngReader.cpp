// PNG pictures read by Qt's built-in PNG reader without first loading every
// image format plugin installed.
//
// Qt reads a picture named by a file (the window's icons, the skin's pictures
// in its style sheet) by asking each image format plugin whether it reads the
// file's format, unless one plugin claims that format for itself: the first
// such question loads every plugin and the libraries they link, though none of
// them reads PNG. This plugin, built into the program (TApplication imports
// it), claims PNG and hands the reading to the built-in reader, so that the
// window shows without them; other formats are found as before.
#include "PngReader.h"

#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QVariant>

#include <memory>

namespace {

// Set while a reader of this plugin's own looks for its handler: the plugin
// then declines, and Qt takes its built-in PNG reader.
thread_local int ownLookups = 0;

struct OwnLookup {
    OwnLookup() { ++ownLookups; }
    ~OwnLookup() { --ownLookups; }
    OwnLookup(const OwnLookup &) = delete;
    OwnLookup &operator=(const OwnLookup &) = delete;
};

// Passes every question and the reading itself to a reader over the same
// device that uses Qt's built-in PNG reader, so that a picture reads exactly
// as it would through that reader.
class TPngHandler : public QImageIOHandler {
public:
    explicit TPngHandler(QIODevice *device)
    {
        setDevice(device);
        setFormat("png");
    }

    // Qt asks this while it still looks for the handler, when no other reader
    // may look for one: until the built-in reader is made, the answer is the
    // one it gives before reading, whether the next bytes are PNG's signature.
    bool canRead() const override
    {
        if (!m_reader)
            return device() && PngReader::startsAsPng(device()->peek(8));
        const OwnLookup own;
        return m_reader->canRead();
    }

    bool read(QImage *image) override
    {
        const OwnLookup own;
        return builtIn().read(image);
    }

    // The options Qt's built-in PNG reader has for reading.
    bool supportsOption(ImageOption option) const override
    {
        switch (option) {
        case Size:
        case ImageFormat:
        case Quality:
        case ScaledSize:
        case Description:
            return true;
        default:
            return false;
        }
    }

    QVariant option(ImageOption option) const override
    {
        const OwnLookup own;
        QImageReader &reader = builtIn();
        switch (option) {
        case Size:
            return reader.size();
        case ImageFormat:
            return reader.imageFormat();
        case Quality:
            return reader.quality();
        case ScaledSize:
            return reader.scaledSize();
        case Description: {
            // The texts in the form Qt's readers give them.
            QString description;
            for (const QString &key : reader.textKeys()) {
                if (!description.isEmpty())
                    description += QLatin1String("\n\n");
                description += key + QLatin1String(": ") + reader.text(key).simplified();
            }
            return description;
        }
        default:
            return {};
        }
    }

    void setOption(ImageOption option, const QVariant &value) override
    {
        const OwnLookup own;
        QImageReader &reader = builtIn();
        switch (option) {
        case Quality:
            reader.setQuality(value.toInt());
            break;
        case ScaledSize:
            reader.setScaledSize(value.toSize());
            break;
        default:
            break;
        }
    }

private:
    // Made when first asked: Qt looks for handlers one at a time, and this
    // reader looks for its own.
    QImageReader &builtIn() const
    {
        if (!m_reader) {
            m_reader = std::make_unique<QImageReader>(device(), QByteArrayLiteral("png"));
            m_reader->setAutoDetectImageFormat(false);
        }
        return *m_reader;
    }

    mutable std::unique_ptr<QImageReader> m_reader;
};

} // namespace

bool PngReader::startsAsPng(QByteArrayView bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n");
}

class TPngReaderPlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "PngReader.json")
public:
    Capabilities capabilities(QIODevice *device, const QByteArray &format) const override
    {
        if (ownLookups > 0 || !device || !device->isReadable())
            return {};
        return format == "png" ? CanRead : Capabilities();
    }

    QImageIOHandler *create(QIODevice *device, const QByteArray &format) const override
    {
        if (ownLookups > 0 || format != "png")
            return nullptr;
        return new TPngHandler(device);
    }
};

#include "PngReader.moc"
