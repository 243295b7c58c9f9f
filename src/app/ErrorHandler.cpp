#include "ErrorHandler.h"

#include "ErrorLog.h"
#include "TErrorDialog.h"

#include <QApplication>

#include <ctime>

namespace ErrorHandler {
namespace {

Hook &hook()
{
    static Hook h;
    return h;
}

struct Log {
    std::filesystem::path file;
    std::string program;
};

Log &log()
{
    static Log l;
    return l;
}

// Appends details to the log. The user still sees the error when the log
// cannot be written, and learns why it is not in the log.
QString logged(const QString &details)
{
    if (log().file.empty())
        return details;
    try {
        ErrorLog::append(log().file, ErrorLog::localTimestamp(std::time(nullptr)), log().program,
                         details.toLocal8Bit().toStdString());
        return details;
    } catch (...) {
        return details + QStringLiteral("\n\nThis error could not be written to the error log: ") +
               describe(std::current_exception());
    }
}

void show(const QString &details, const QString &message)
{
    const QString shown = logged(details);
    if (hook()) {
        hook()(shown);
        return;
    }
    TErrorDialog dialog(shown, QApplication::activeWindow(), message);
    dialog.exec();
}

} // namespace

void setHook(Hook h) { hook() = std::move(h); }

void setLog(std::filesystem::path file, std::string program)
{
    log() = Log{std::move(file), std::move(program)};
}

QString describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        // The program's texts are 8-bit strings in the locale's code page.
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void report(const QString &details) { show(details, QString()); }

void reportCrashLater(const std::string &crashReport)
{
    const QString details = QString::fromLocal8Bit(crashReport);
    QMetaObject::invokeMethod(
        qApp, [details] { show(details, QStringLiteral("The program ended unexpectedly the last time it ran.")); },
        Qt::QueuedConnection);
}

void reportLater(const std::exception_ptr &error)
{
    const QString details = describe(error);
    QMetaObject::invokeMethod(qApp, [details] { report(details); }, Qt::QueuedConnection);
}

void reportCurrentException() { report(describe(std::current_exception())); }

} // namespace ErrorHandler
