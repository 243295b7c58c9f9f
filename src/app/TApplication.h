#pragma once

#include <QApplication>

// The application object. Every event passes through notify, so an error that
// escapes a handler is caught here at the latest, shown by the general error
// handling, and the event loop goes on. The window's own handlers are connected
// through ErrorHandler::guarded, which catches before the toolkit's frames.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Gives every window the program's own icon once the first window is on
    // the screen, unless an icon has been set by then; while context lives.
    static void setOwnIconAfterFirstFrame(QObject *context);
};
