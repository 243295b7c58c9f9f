// The program as it runs for a user, over a folder the test names, saying on
// its standard output what a test cannot see from outside:
//   ready            the window is shown
//   activated        a later copy handed over to this one
//   loaded <title>   the page given as second argument has loaded
#include "FMain.h"
#include "Program.h"
#include "SingleInstance.h"
#include "TEmbeddedWB.h"
#include "TUpdateChecker.h"

#include <QObject>

#include <cstdio>

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
    // The update check at start must not look the built-in server up.
    TUpdateChecker::setNetwork({TUpdateChecker::network().baseUrl, THttpClient::NumericResolver()});
    const QString address = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    return Program::run(argc, argv, argv[1], [address](TfrmMain &window, SingleInstance &instance) {
        QObject::connect(&instance, &SingleInstance::activationRequested, [] { say(QStringLiteral("activated")); });
        if (!address.isEmpty()) {
            auto *browser = window.findChild<TEmbeddedWB *>(QStringLiteral("EmbeddedWB1"));
            QObject::connect(browser, &QWebEngineView::loadFinished, browser,
                             [browser] { say(QStringLiteral("loaded ") + browser->title()); });
            browser->Navigate(address);
        }
        say(QStringLiteral("ready"));
    });
}
