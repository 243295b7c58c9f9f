#pragma once

// A desktop of the test's own: XDG configuration and data folders under a
// temporary folder, named by the XDG variables while the fixture lives, with a
// "browser" that is a small script writing down the arguments of every start.
#include "TestFiles.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

class XdgFixture {
public:
    XdgFixture()
    {
        root = dirOf(m_dir);
        configHome = root / "config";
        dataHome = root / "data";
        dataDir = root / "system data";
        calls = root / "calls";
        for (const auto &d : {configHome, dataHome / "applications", dataDir / "applications", calls})
            std::filesystem::create_directories(d);
        for (const char *name :
             {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"})
            m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(configHome.string()));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString((root / "system config").string()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.string()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dataDir.string()));
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    ~XdgFixture()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                qputenv(name.c_str(), *value);
            else
                qunsetenv(name.c_str());
        }
    }

    // A browser script at path that writes its arguments, each followed by a
    // byte 0, into a file of its own under calls.
    void writeRecorder(const std::filesystem::path &path) const
    {
        std::filesystem::create_directories(path.parent_path());
        writeBytes(path, "#!/bin/sh\n"
                         "out='" +
                             calls.string() +
                             "'/call.$$\n"
                             "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec);
    }

    // A desktop entry under dataDir's (or another folder's) "applications".
    void writeEntry(const std::string &id, const std::string &exec,
                    const std::filesystem::path &dataFolder = {}, const std::string &extra = {}) const
    {
        const auto file = (dataFolder.empty() ? dataDir : dataFolder) / "applications" / id;
        std::filesystem::create_directories(file.parent_path());
        writeBytes(file, "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec + "\n" + extra);
    }

    // Registers a recorder, in a folder with a blank in its name, as the
    // default handler of web addresses.
    void registerRecorder()
    {
        recorder = root / "my browser" / "record";
        writeRecorder(recorder);
        writeEntry("recorder.desktop", "\"" + recorder.string() + "\" --new-window %u");
        writeBytes(configHome / "mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/http=recorder.desktop\n");
    }

    // The argument lists of every start so far, in no particular order.
    std::vector<QStringList> startedWith() const
    {
        std::vector<QStringList> all;
        for (const auto &e : std::filesystem::directory_iterator(calls)) {
            if (e.path().extension() == ".tmp")
                continue;
            const QByteArray bytes = QByteArray::fromStdString(readBytes(e.path()));
            QStringList args;
            for (const QByteArray &a : bytes.split('\0'))
                args << QString::fromUtf8(a);
            args.removeLast(); // after the last byte 0
            all.push_back(args);
        }
        return all;
    }

    std::filesystem::path root, configHome, dataHome, dataDir, calls, recorder;

private:
    QTemporaryDir m_dir;
    std::map<std::string, std::optional<QByteArray>> m_saved;
};
