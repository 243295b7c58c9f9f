#include "TUpdateChecker.h"

#include "BuildOptions.h"
#include "DownloadFile.h"
#include "TbsSkinMessage.h"
#include "UpdateCheck.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QWidget>

namespace {

TUpdateChecker::Network &currentNetwork()
{
    static TUpdateChecker::Network network{std::string(BuildOptions::UpdateUrl),
                                           THttpClient::SystemResolver()};
    return network;
}

void startDirectly(const std::filesystem::path &program, const std::vector<std::string> &arguments)
{
    QStringList args;
    for (const std::string &a : arguments)
        args << QString::fromLocal8Bit(a.data(), qsizetype(a.size()));
    // No shell stands between: the arguments reach the updater as they are.
#ifdef _WIN32
    QProcess::startDetached(QString::fromStdWString(program.native()), args);
#else
    QProcess::startDetached(QString::fromLocal8Bit(program.c_str()), args);
#endif
}

} // namespace

TUpdateChecker::TUpdateChecker(QWidget &window, std::filesystem::path appDir, TbsSkinMessage &messageBox,
                               QAbstractButton &button)
    : QObject(&window), m_window(&window), m_appDir(std::move(appDir)), m_messageBox(&messageBox),
      m_button(&button)
{
    window.installEventFilter(this);
}

void TUpdateChecker::setNetwork(Network network)
{
    currentNetwork() = std::move(network);
}

const TUpdateChecker::Network &TUpdateChecker::network()
{
    return currentNetwork();
}

char TUpdateChecker::decimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
}

bool TUpdateChecker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && m_running)
        m_closing = true;
    return QObject::eventFilter(watched, event);
}

void TUpdateChecker::CheckForUpdates(bool silent)
{
    if (m_running)
        return;
    m_running = true;
    m_closing = false;
    // The window's events run inside the check, and one of them may close the
    // window or even destroy it and this object with it: from here on every
    // use of either goes through a guard.
    QPointer<TUpdateChecker> self(this);
    QPointer<QAbstractButton> button(m_button);
    if (button)
        button->setEnabled(false);
    const auto restore = qScopeGuard([&] {
        if (self)
            self->m_running = false;
        if (button)
            button->setEnabled(true);
    });

    const Network net = network();
    THttpClient client(
        m_cookies,
        [self] {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return self && !self->m_closing;
        },
        net.resolver);

    TUpdateCheck check;
    check.appDir = m_appDir;
    check.baseUrl = net.baseUrl;
    check.decimalSeparator = decimalSeparator();
    check.download = [&client](const std::string &source, const std::filesystem::path &file) {
        return DownloadFile(client, source, file);
    };
    check.showMessage = [self](const std::string &text, TMsgKind kind, TMsgButtons buttons) {
        if (!self || !self->m_messageBox)
            return MsgClosedResult;
        return self->m_messageBox->ShowMessageBox(text, kind, buttons, 0);
    };
    check.startUpdater = startDirectly;

    if (::CheckForUpdates(check, silent) == TUpdateOutcome::UpdaterStarted && self && self->m_window)
        self->m_window->close();
}
