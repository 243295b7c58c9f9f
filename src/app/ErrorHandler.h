#pragma once

#include <QString>

#include <exception>
#include <filesystem>
#include <functional>
#include <string>

// The program's general error handling: an error that no handler catches is
// shown to the user, and the program goes on.
namespace ErrorHandler {

// From now on every error shown is also appended to this log file, under the
// program's name and version.
void setLog(std::filesystem::path file, std::string program);

// Shows the error dialog with these details; modal, returns when it is closed.
void report(const QString &details);

// Shows, once the event loop runs, that the last run ended in a crash, with
// its report as details.
void reportCrashLater(const std::string &crashReport);

// Reports the exception being handled. Call it only inside a catch block.
void reportCurrentException();

// Reports error once the event loop runs, over whatever window is up by then:
// for errors met while the windows are still being made.
void reportLater(const std::exception_ptr &error);

// The text the dialog shows as details for an exception.
QString describe(const std::exception_ptr &error);

// Runs a handler; an error escaping it is reported and the program goes on.
// Handlers run through this so that no exception unwinds through the toolkit's
// own frames, which are not built to pass exceptions on.
template <class F>
void run(F &&handler)
{
    try {
        handler();
    } catch (...) {
        reportCurrentException();
    }
}

// A slot for connect() that runs receiver->method(args...) through run().
template <class Receiver, class... Args>
auto guarded(Receiver *receiver, void (Receiver::*method)(Args...))
{
    return [receiver, method](Args... args) { run([&] { (receiver->*method)(args...); }); };
}

// Tests answer reports here instead of with the modal dialog; an empty hook
// restores the dialog.
using Hook = std::function<void(const QString &details)>;
void setHook(Hook hook);

} // namespace ErrorHandler
