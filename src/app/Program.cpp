#include "Program.h"

#include "CrashLog.h"
#include "ErrorHandler.h"
#include "FMain.h"
#include "FirstFrameReport.h"
#include "SingleInstance.h"
#include "TApplication.h"
#include "TerminationSignals.h"
#include "UForums.h"
#include "Version.h"
#include "WritablePlaces.h"

#include <QDir>

#include <unistd.h>

namespace Program {
namespace {

// The folder of the executable as it was started. A symbolic link to the
// program makes the link's folder the application directory: that is how an
// installed copy, shared by every user, gives each user a folder of their own.
// The system's own idea of the executable's path follows every link, so it
// serves only when the program was found on the search path.
std::filesystem::path startedFrom(const char *argv0)
{
    const std::string_view started = argv0 ? argv0 : "";
    if (started.find('/') != std::string_view::npos)
        return std::filesystem::absolute(started).lexically_normal().parent_path();
    return WritablePlaces::executableDirectory();
}

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

    // Every data file lives beside the executable. The caches' place is set
    // before the libraries start.
    if (appDir.empty())
        appDir = startedFrom(argc > 0 ? argv[0] : nullptr);
    WritablePlaces::keepCachesIn(appDir);

    TApplication app(argc, argv);
    FirstFrameReport::watch();
    // Made before the window and gone after it, so that a signal during the
    // window's end cannot cut that end short.
    TerminationSignals termination;

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

    // Errors shown from now on go to the log too, and a crash leaves a report
    // that the next start shows once.
    ErrorHandler::setLog(appDir / "error.log", std::string(Version::Program));
    std::optional<std::string> crashReport;
    std::exception_ptr crashReportError;
    try {
        crashReport = CrashLog::take(appDir / "crash.log");
    } catch (...) {
        crashReportError = std::current_exception();
    }
    CrashLog::install(appDir / "crash.log", Version::Program);

    TfrmMain window(appDir);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window] { bringToFront(*window.window()); });
    // A signal ends the run as closing the window does. Open dialogs close
    // first; exit() also ends a modal loop that would not let them go.
    QObject::connect(&termination, &TerminationSignals::received, &app, [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    });
    TApplication::setOwnIconAfterFirstFrame(&window);
    window.show();
    if (cleanupError)
        ErrorHandler::reportLater(cleanupError);
    if (crashReportError)
        ErrorHandler::reportLater(crashReportError);
    if (crashReport)
        ErrorHandler::reportCrashLater(*crashReport);
    if (started)
        started(window, instance);
    return app.exec();
}

} // namespace Program
