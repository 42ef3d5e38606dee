#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C in a terminal) into a signal on
// the thread that made this object, so the app can quit normally and write pending saves
// instead of being cut off. One instance per process.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    // Puts the default handling back.
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
