#include "TApplication.h"

#include "ErrorHandler.h"
#include "FirstFrame.h"

#include <QFont>
#include <QIcon>
#include <QtPlugin>

// PNG pictures without loading every image format plugin (src/ui/PngReader.cpp).
Q_IMPORT_PLUGIN(TPngReaderPlugin)

// The program's own icon, in every size it is drawn in. Outside any namespace:
// Q_INIT_RESOURCE declares the resource's function where it stands.
static QIcon ownIcon()
{
    Q_INIT_RESOURCE(icons);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/app/postwright-%1.png").arg(size), QSize(size, size));
    return icon;
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Arial's metrics (Liberation Sans on Linux) at the size the form data's
    // pixel places are made for.
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);

    // The desktop file's name lets the task bar match the windows to the menu
    // entry.
    setDesktopFileName(QStringLiteral("postwright"));
}

void TApplication::setOwnIconAfterFirstFrame(QObject *context)
{
    // Reading the icon's seven pictures and handing them all to the window
    // system takes about a tenth of the work before the first frame, and the
    // frame needs none of it. An icon set meanwhile (a branding file's) stays.
    FirstFrame::after(context, [] {
        if (QApplication::windowIcon().isNull())
            QApplication::setWindowIcon(ownIcon());
    });
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ErrorHandler::reportCurrentException();
    }
    return false;
}
