#pragma once

#include "BrowserEntry.h"
#include "ErrorHandler.h"
#include "TApplication.h"
#include "TBrowserHost.h"
#include "TUpdateChecker.h"

#include <QPushButton>
#include <QStringList>
#include <QTest>

// The update check that every main window starts by itself must not look the
// built-in update server up: tests resolve numeric addresses only.
inline void keepUpdateChecksLocal()
{
    TUpdateChecker::setNetwork({TUpdateChecker::network().baseUrl, THttpClient::NumericResolver()});
}

// Runs a window test under the program's own application object, so errors
// escaping a handler reach the general error handling as in the program. The
// browser is linked in: every main window has its browser from the start.
#define POSTWRIGHT_GUI_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char **argv)                                                                         \
    {                                                                                                       \
        TApplication app(argc, argv);                                                                       \
        TBrowserHost::setFactory(postwright_create_browser);                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                            \
        keepUpdateChecksLocal();                                                                            \
        TestObject tc;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                          \
        return QTest::qExec(&tc, argc, argv);                                                               \
    }

// Collects what the general error handling reports instead of showing its dialog.
struct ReportedErrors {
    QStringList details;
    ReportedErrors()
    {
        ErrorHandler::setHook([this](const QString &d) { details << d; });
    }
    ~ReportedErrors() { ErrorHandler::setHook({}); }
};

// A control by its name. A missing one ends the test program: every later step
// would only fail on it.
template <class T = QWidget>
T *child(const QObject &parent, const char *name)
{
    T *c = parent.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Clicks the named button as a user does.
inline void clickButton(const QObject &parent, const char *name)
{
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}
