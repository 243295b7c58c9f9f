#pragma once

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// A temporary application folder for a window test. The browser engine goes on
// writing into its profile folder for a moment after the window has closed and
// is done only when the application ends, so the folder is removed when the
// test program exits rather than when the test is over.
class TestAppDir : public QTemporaryDir {
public:
    TestAppDir() { setAutoRemove(false); }
    ~TestAppDir() { removedAtExit().append(path()); }

private:
    struct Remover {
        QStringList paths;
        ~Remover()
        {
            for (const QString &p : paths)
                QDir(p).removeRecursively();
        }
    };
    static QStringList &removedAtExit()
    {
        static Remover remover;
        return remover.paths;
    }
};
