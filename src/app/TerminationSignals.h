#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (the desktop session ending, the terminal closed,
// Ctrl+C) end the program the way closing its window does, so the lists are
// destroyed and the browser writes its cookies out. The handler only writes a
// byte to a pipe; the event loop reads it and emits received().
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
};
