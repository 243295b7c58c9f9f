#include "TbsSkinData.h"

#include "SkinArchive.h"
#include "TSkinEngine.h"

#include <QFile>

TbsSkinData::TbsSkinData(QObject *parent) : QObject(parent)
{
    TSkinEngine &engine = TSkinEngine::instance();
    engine.apply(engine.builtIn());
}

bool TbsSkinData::LoadFromCompressedFile(const std::filesystem::path &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // One byte over the limit is enough to know the file is too big.
    const QByteArray bytes = in.read(SkinArchive::MaxFileSize + 1);
    if (bytes.size() > SkinArchive::MaxFileSize)
        return false;
    TSkinEngine &engine = TSkinEngine::instance();
    std::shared_ptr<const TSkin> skin = engine.read(bytes);
    if (!skin)
        return false;
    engine.apply(std::move(skin));
    return true;
}

const TSkinValues &TbsSkinData::values() const
{
    return TSkinEngine::instance().current()->values();
}
