// Feeds arbitrary bytes to the skin file reader, as a "dbskin.dat" from
// anywhere would: it must answer "no skin" or a checked skin, never crash,
// read out of bounds or hang, and a skin it accepts must be one that Qt's
// resource reader, which trusts its input, reads the same way.
#include "SkinFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QResource>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Picture formats other than PNG come from Qt's plugins, found through
    // the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    static const TSkinValues fallback;
    std::optional<TSkinContents> skin = SkinFile::parse(bytes, fallback);
    if (!skin)
        return 0;
    (void)SkinFile::resolvePictures(skin->styleSheet, skin->files, QStringLiteral(":/skin-fuzz"));

    // A file the reader accepted is handed to Qt's own resource reader, as the
    // program does to draw the skin's pictures: every file must read back as
    // the checked reader saw it.
    const QByteArray copy(bytes.constData(), bytes.size());
    const auto *tree = reinterpret_cast<const uchar *>(copy.constData());
    if (!QResource::registerResource(tree, QStringLiteral("/skin-fuzz")))
        __builtin_trap();
    for (auto it = skin->files.cbegin(); it != skin->files.cend(); ++it) {
        QFile file(QStringLiteral(":/skin-fuzz/") + it.key());
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != it.value())
            __builtin_trap();
    }
    QResource::unregisterResource(tree, QStringLiteral("/skin-fuzz"));
    return 0;
}
