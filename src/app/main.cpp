#include "FMain.h"
#include "TApplication.h"

#include <QDir>

#include <unistd.h>

int main(int argc, char **argv)
{
    // The browser engine refuses to start its sandbox for the root user.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    TApplication::prepare();
    TApplication app(argc, argv);

    // Every data file lives beside the executable.
    TfrmMain window(QDir(QCoreApplication::applicationDirPath()).filesystemAbsolutePath());
    window.show();
    return app.exec();
}
