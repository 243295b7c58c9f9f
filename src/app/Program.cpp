#include "Program.h"

#include "ErrorHandler.h"
#include "FMain.h"
#include "SingleInstance.h"
#include "TApplication.h"
#include "TerminationSignals.h"
#include "UForums.h"

#include <QDir>

#include <unistd.h>

namespace Program {
namespace {

void bringToFront(QWidget &window)
{
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

int run(int argc, char **argv, std::filesystem::path appDir, const Started &started)
{
    // The browser engine refuses to start its sandbox for the root user.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    TApplication::prepare();
    TApplication app(argc, argv);
    // Made before the window and gone after it, so that a signal during the
    // window's end cannot cut that end short.
    TerminationSignals termination;

    // Every data file lives beside the executable.
    if (appDir.empty())
        appDir = QDir(QCoreApplication::applicationDirPath()).filesystemAbsolutePath();

    SingleInstance instance(appDir);
    if (!instance.acquire()) {
        instance.handOver();
        return 0;
    }

    // Saves cut off in an earlier run left copies of the data, passwords
    // included; this copy alone uses the folder now, so none is in use.
    std::exception_ptr cleanupError;
    try {
        RemoveLeftoverSaves(appDir);
    } catch (...) {
        cleanupError = std::current_exception();
    }

    TfrmMain window(appDir);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window] { bringToFront(*window.window()); });
    // A signal ends the run as closing the window does. Open dialogs close
    // first; exit() also ends a modal loop that would not let them go.
    QObject::connect(&termination, &TerminationSignals::received, &app, [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    });
    window.show();
    if (cleanupError)
        ErrorHandler::reportLater(cleanupError);
    if (started)
        started(window, instance);
    return app.exec();
}

} // namespace Program
