#include "ModuleLibrary.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <map>
#include <memory>

namespace ModuleLibrary {

QString pathOf(const QString &fileName)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName;
}

QFunctionPointer resolve(const QString &fileName, const char *symbol, const std::string &action)
{
    // Never unloaded: the browser engine cannot be started twice in one
    // process, and pictures drawn by a library may still refer to it.
    static std::map<QString, std::unique_ptr<QLibrary>> libraries;
    std::unique_ptr<QLibrary> &library = libraries[fileName];
    if (!library)
        library = std::make_unique<QLibrary>(pathOf(fileName));
    const auto fail = [&] {
        return EFileError(action, QDir::toNativeSeparators(library->fileName()).toStdString(),
                          library->errorString().toStdString());
    };
    if (!library->isLoaded() && !library->load())
        throw fail();
    const QFunctionPointer function = library->resolve(symbol);
    if (!function)
        throw fail();
    return function;
}

} // namespace ModuleLibrary
