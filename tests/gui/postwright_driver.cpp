// The program as it runs for a user, over a folder the test names, saying on
// its standard output what a test cannot see from outside:
//   ready            the window is shown
//   activated        a later copy handed over to this one
//   window <id>      the main window's native window, once it is active and
//                    the subject edit has the focus, before the page opens
//   loaded <title>   the page given as second argument has loaded
//   after <id> <focus>  the native window and the control with the focus
//                    (or "none") once that page has loaded
//   reported <line>  the error dialog would show these details (first line)
// A second argument "crash:SIGSEGV" or "crash:SIGABRT" makes the running
// program die of that signal once its window is shown.
#include "ErrorHandler.h"
#include "FMain.h"
#include "Program.h"
#include "SingleInstance.h"
#include "TEmbeddedWB.h"
#include "TUpdateChecker.h"

#include <QApplication>
#include <QLineEdit>
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

QString windowId(const QWidget &window)
{
    return QString::number(quint64(window.winId()), 16);
}

// Opens address once the window is active with the focus in the subject, as a
// user who has just typed there would have it.
void openWhenActive(TfrmMain &window, TEmbeddedWB &browser, const QString &address, int triesLeft)
{
    auto *subject = window.findChild<QLineEdit *>(QStringLiteral("edtSubject"));
    if (!window.isActiveWindow() && triesLeft > 0) {
        window.activateWindow();
        QTimer::singleShot(50, &window, [&window, &browser, address, triesLeft] {
            openWhenActive(window, browser, address, triesLeft - 1);
        });
        return;
    }
    subject->setFocus();
    say(QStringLiteral("window ") + windowId(*window.window()));
    browser.Navigate(address);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: postwright_driver <application folder> [address]\n");
        return 2;
    }
    // The update check at start must not look the built-in server up.
    TUpdateChecker::setNetwork({TUpdateChecker::network().baseUrl, THttpClient::NumericResolver()});
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
            QObject::connect(browser, &QWebEngineView::loadFinished, browser, [&window, browser] {
                say(QStringLiteral("loaded ") + browser->title());
                QWidget *focus = QApplication::focusWidget();
                say(QStringLiteral("after ") + windowId(*window.window()) + QLatin1Char(' ') +
                    (focus ? focus->objectName() : QStringLiteral("none")));
            });
            openWhenActive(window, *browser, address, 100);
        }
        say(QStringLiteral("ready"));
    });
}
