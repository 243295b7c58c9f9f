#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int signal)
{
    // write() is async-signal-safe; errno belongs to the code we interrupted.
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    // From here on the signals end the process at once again, as nothing is
    // left that would end it cleanly.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

void TerminationSignals::drain()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            emit received(bytes[i]);
}
