#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <filesystem>

class QLocalServer;

// One running copy of the program per application directory: two copies would
// each rewrite the data files from their own lists and lose each other's
// changes. The copy that holds the folder's lock file is the one; a later copy
// reaches it through a local socket named after the folder and hands over.
// A lock left by a copy that crashed does not count: its process is gone.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::filesystem::path &appDir, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when no other copy runs in the folder. This copy then holds it, and
    // later copies reach it until it ends.
    bool acquire();
    // Asks the copy that holds the folder to bring its window to the front.
    // False when it could not be reached.
    bool handOver();

    // The lock file's name in the application directory.
    static constexpr const char *lockFileName = "Postwright.lock";

signals:
    // A later copy was started in this folder and has handed over.
    void activationRequested();

private:
    void acceptHandOvers();

    QString m_serverName;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};
