#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

// The program's general error handling: an error that no handler catches is
// shown to the user, and the program goes on.
namespace ErrorHandler {

// Shows the error dialog with these details; modal, returns when it is closed.
void report(const QString &details);

// Reports the exception being handled. Call it only inside a catch block.
void reportCurrentException();

// The text the dialog shows as details for an exception.
QString describe(const std::exception_ptr &error);

// A handler for a signal or an event hook: an error escaping handler is
// reported at once, skipping the handler's remaining steps as for any handler,
// without unwinding through Qt's own frames, which are not built to pass
// exceptions on (they would leak what they hold).
template <class Handler>
auto guarded(Handler handler)
{
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (...) {
            reportCurrentException();
        }
    };
}

// Tests answer reports here instead of with the modal dialog; an empty hook
// restores the dialog.
using Hook = std::function<void(const QString &details)>;
void setHook(Hook hook);

} // namespace ErrorHandler
