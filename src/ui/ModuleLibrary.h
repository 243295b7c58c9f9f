#pragma once

#include <QFunctionPointer>
#include <QString>

#include <string>

// The program's own libraries beside its executable, which carry what only
// some runs need (the web browser, metafile pictures) so that the window shows
// without their libraries. Each is loaded on first use and stays loaded for
// the rest of the run.
namespace ModuleLibrary {

// Where the libraries are looked for from now on; empty for beside the
// executable again. For tests of a program folder that lacks a library.
void setFolder(const QString &folder);

// The function symbol of the library fileName, loading the library first if
// it is not loaded yet. Throws EFileError, the action being `action` (such as
// "Cannot load the web browser"), when the library or the function is missing.
QFunctionPointer resolve(const QString &fileName, const char *symbol, const std::string &action);

} // namespace ModuleLibrary
