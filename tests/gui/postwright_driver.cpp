// The program as it runs for a user, over a folder the test names, saying on
// its standard output what a test cannot see from outside:
//   ready            the window is shown
//   activated        a later copy handed over to this one
//   checked          the update check at start is over (it may make and
//                    remove "mainappupdate.inf" meanwhile)
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
#include "TBrowserHost.h"
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

// Says, each time the browser has loaded a page, its title, then the native
// window and the control with the focus. The driver links no part of the
// browser engine, as the program does not: the browser's signal and title are
// reached by their names.
class LoadReport : public QObject {
    Q_OBJECT
public:
    LoadReport(TfrmMain &window, QObject &view) : QObject(&view), m_window(window), m_view(view)
    {
        connect(&view, SIGNAL(loadFinished(bool)), this, SLOT(loaded()));
    }

private slots:
    void loaded()
    {
        say(QStringLiteral("loaded ") + m_view.property("title").toString());
        QWidget *focus = QApplication::focusWidget();
        say(QStringLiteral("after ") + windowId(*m_window.window()) + QLatin1Char(' ') +
            (focus ? focus->objectName() : QStringLiteral("none")));
    }

private:
    TfrmMain &m_window;
    QObject &m_view;
};

// Opens address once the window is active with the focus in the subject, as a
// user who has just typed there would have it. The browser is loaded then, as
// for a user's first page.
void openWhenActive(TfrmMain &window, TBrowserHost &browser, const QString &address, int triesLeft)
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
    // As the window's own handlers do: an error is shown, not thrown on.
    ErrorHandler::run([&] { browser.Navigate(address); });
    if (browser.view())
        new LoadReport(window, *browser.view());
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
            auto *browser = window.findChild<TBrowserHost *>(QStringLiteral("EmbeddedWB1"));
            openWhenActive(window, *browser, address, 100);
        }
        // Connected after the window's own handler, so this runs once the
        // check that handler makes has ended.
        if (auto *checkAtStart = window.findChild<QTimer *>(QStringLiteral("Timer1")))
            QObject::connect(checkAtStart, &QTimer::timeout, [] { say(QStringLiteral("checked")); });
        say(QStringLiteral("ready"));
    });
}

#include "postwright_driver.moc"
