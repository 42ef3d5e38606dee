#pragma once

#include <QObject>
#include <QString>

// How code that holds no windows (the deck) asks for one: by id, as a signal the shell connects
// once when it starts. Unconnected (headless), a request is dropped.
class OpenWindowBridge : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void requestMeeting();
    void requestTasks();

signals:
    void openRequested(const QString &id);
};
