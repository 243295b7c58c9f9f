// Feeds arbitrary bytes to the skin file reader, as a "dbskin.dat" from
// anywhere would: it must answer "no skin" or a checked skin, never crash,
// read out of bounds or hang.
#include "SkinFile.h"

#include <QCoreApplication>

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
    if (std::optional<TSkinContents> skin = SkinFile::parse(bytes, fallback))
        (void)SkinFile::resolvePictures(skin->styleSheet, skin->files, QStringLiteral(":/skin-fuzz"));
    return 0;
}
