#include "TApplication.h"

#include "ErrorHandler.h"

#include <QFont>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Arial's metrics (Liberation Sans on Linux) at the size the form data's
    // pixel places are made for.
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);
}

void TApplication::prepare() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ErrorHandler::reportCurrentException();
    }
    return false;
}
