// The program as it runs for a user, over a folder the test names, saying on
// its standard output what a test cannot see from outside:
//   ready            the window is shown
//   activated        a later copy handed over to this one
//   loaded <title>   the page given as second argument has loaded
//   reported <line>  the error dialog would show these details (first line)
// A second argument "crash:SIGSEGV" or "crash:SIGABRT" makes the running
// program die of that signal once its window is shown.
#include "ErrorHandler.h"
#include "FMain.h"
#include "Program.h"
#include "SingleInstance.h"
#include "TEmbeddedWB.h"

#include <QObject>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: postwright_driver <application folder> [address]\n");
        return 2;
    }
    const QString address = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    return Program::run(argc, argv, argv[1], [address](TfrmMain &window, SingleInstance &instance) {
        QObject::connect(&instance, &SingleInstance::activationRequested, [] { say(QStringLiteral("activated")); });
        ErrorHandler::setHook(
            [](const QString &details) { say(QStringLiteral("reported ") + details.section(QLatin1Char('\n'), 0, 0)); });
        if (address == QLatin1String("crash:SIGSEGV")) {
            QTimer::singleShot(0, [] { std::raise(SIGSEGV); });
        } else if (address == QLatin1String("crash:SIGABRT")) {
            QTimer::singleShot(0, [] { std::abort(); });
        } else if (!address.isEmpty()) {
            auto *browser = window.findChild<TEmbeddedWB *>(QStringLiteral("EmbeddedWB1"));
            QObject::connect(browser, &QWebEngineView::loadFinished, browser,
                             [browser] { say(QStringLiteral("loaded ") + browser->title()); });
            browser->Navigate(address);
        }
        say(QStringLiteral("ready"));
    });
}
