#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

// A name that only copies for the same user and the same folder share.
QString serverNameFor(const std::filesystem::path &appDir)
{
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::weakly_canonical(appDir, ec);
    if (ec)
        dir = appDir;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(dir.string()), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("postwright-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.left(32)));
}

constexpr QByteArrayView kActivate = "activate\n";

#ifdef Q_OS_LINUX
// A name in the abstract namespace leaves no socket file anywhere, not even one
// a crashed copy would leave behind.
constexpr auto kServerOptions = QLocalServer::AbstractNamespaceOption;
constexpr auto kSocketOptions = QLocalSocket::AbstractNamespaceOption;
#else
constexpr auto kServerOptions = QLocalServer::UserAccessOption;
constexpr auto kSocketOptions = QLocalSocket::NoOptions;
#endif

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path &appDir, QObject *parent)
    : QObject(parent), m_serverName(serverNameFor(appDir)),
      m_lock(QDir(appDir).filePath(QLatin1String(lockFileName)))
{
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (!m_lock.tryLock(0))
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(kServerOptions);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptHandOvers);
    // Without the socket later copies find the lock all the same and end; they
    // only cannot bring this window to the front.
    if (!m_server->listen(m_serverName)) {
        QLocalServer::removeServer(m_serverName);
        m_server->listen(m_serverName);
    }
    return true;
}

bool SingleInstance::handOver()
{
    // The first copy may still be starting: it listens right after taking the
    // lock, so a short wait covers the gap.
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.setSocketOptions(kSocketOptions);
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(500)) {
            socket.write(kActivate.data(), kActivate.size());
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::acceptHandOvers()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains('\n'))
                emit activationRequested();
        });
    }
}
