#include "ErrorHandler.h"

#include "TErrorDialog.h"

#include <QApplication>

namespace ErrorHandler {
namespace {

Hook &hook()
{
    static Hook h;
    return h;
}

} // namespace

void setHook(Hook h) { hook() = std::move(h); }

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

void report(const QString &details)
{
    if (hook()) {
        hook()(details);
        return;
    }
    TErrorDialog dialog(details, QApplication::activeWindow());
    dialog.exec();
}

void reportLater(const std::exception_ptr &error)
{
    const QString details = describe(error);
    QMetaObject::invokeMethod(qApp, [details] { report(details); }, Qt::QueuedConnection);
}

void reportCurrentException() { report(describe(std::current_exception())); }

} // namespace ErrorHandler
