#include "TSkinEngine.h"

#include <QApplication>
#include <QFile>
#include <QResource>

#include <atomic>

// The built-in skin is a skin file like any other, compiled into the program
// as a resource. Outside any namespace: the macro declares a global function.
static void initSkinResources()
{
    Q_INIT_RESOURCE(skins);
}

namespace {

// Every skin gets a resource folder of its own, so that pictures of a skin that
// was replaced are never taken for the new skin's from a cache.
QString newRoot()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("/postwright-skin-%1").arg(++counter);
}

QByteArray builtInBytes()
{
    initSkinResources();
    QFile file(QStringLiteral(":/skins/main.skn"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

TSkin::TSkin(TSkinContents contents, QByteArray fileBytes)
    : m_values(std::move(contents.values)), m_bytes(std::move(fileBytes)), m_root(newRoot())
{
    // The bytes were read through SkinArchive, which checks every offset the
    // resource system follows, before they are registered.
    m_registered = !m_bytes.isEmpty() &&
                   QResource::registerResource(reinterpret_cast<const uchar *>(m_bytes.constData()), m_root);
    m_styleSheet = SkinFile::resolvePictures(contents.styleSheet, contents.files,
                                             m_registered ? QLatin1Char(':') + m_root : QString());
}

TSkin::~TSkin()
{
    if (m_registered)
        QResource::unregisterResource(reinterpret_cast<const uchar *>(m_bytes.constData()), m_root);
}

TSkinEngine &TSkinEngine::instance()
{
    // Lives to the end of the program: windows ask for it until they are gone.
    static TSkinEngine *engine = new TSkinEngine;
    return *engine;
}

TSkinEngine::TSkinEngine()
{
    const QByteArray bytes = builtInBytes();
    if (std::optional<TSkinContents> contents = SkinFile::parse(bytes, TSkinValues{}))
        m_builtIn = std::make_shared<const TSkin>(std::move(*contents), bytes);
    else
        m_builtIn = std::make_shared<const TSkin>(TSkinContents{}, QByteArray());
    apply(m_builtIn);
}

std::shared_ptr<const TSkin> TSkinEngine::read(const QByteArray &bytes) const
{
    std::optional<TSkinContents> contents = SkinFile::parse(bytes, m_builtIn->values());
    if (!contents)
        return nullptr;
    auto skin = std::make_shared<const TSkin>(std::move(*contents), bytes);
    // A skin whose pictures cannot be drawn is no skin either.
    return skin->registered() ? skin : nullptr;
}

void TSkinEngine::apply(std::shared_ptr<const TSkin> skin)
{
    if (!skin || skin == m_current)
        return;
    // The old skin's pictures stay registered until the new style sheet has
    // replaced the one that names them.
    const std::shared_ptr<const TSkin> old = std::exchange(m_current, std::move(skin));
    if (qApp)
        qApp->setStyleSheet(m_current->styleSheet());
    emit skinChanged();
}
