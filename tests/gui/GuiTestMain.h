#pragma once

#include "ErrorHandler.h"
#include "TApplication.h"

#include <QStringList>
#include <QTest>

// Runs a window test under the program's own application object, so errors
// escaping a handler reach the general error handling as in the program.
#define POSTWRIGHT_GUI_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char **argv)                                                                         \
    {                                                                                                       \
        TApplication::prepare();                                                                            \
        TApplication app(argc, argv);                                                                       \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                            \
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
