#include "ModuleLibrary.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <map>
#include <memory>

namespace ModuleLibrary {
namespace {

QString &folderSet()
{
    static QString folder;
    return folder;
}

// The file fileName beside the executable, or in the folder setFolder gave.
QString pathOf(const QString &fileName)
{
    const QString &folder = folderSet();
    return (folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder) + QLatin1Char('/') + fileName;
}

} // namespace

void setFolder(const QString &folder)
{
    folderSet() = folder;
}

QFunctionPointer resolve(const QString &fileName, const char *symbol, const std::string &action)
{
    // Never unloaded: the browser engine cannot be started twice in one
    // process, and pictures drawn by a library may still refer to it.
    static std::map<QString, std::unique_ptr<QLibrary>> libraries;
    const QString path = pathOf(fileName);
    std::unique_ptr<QLibrary> &library = libraries[path];
    if (!library)
        library = std::make_unique<QLibrary>(path);
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
