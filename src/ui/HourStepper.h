#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>

// A stepper over a whole hour of the day within a range, labelled "<prefix><hour>:00". The hour
// itself lives elsewhere (read and written through the two functions); a step never leaves the
// range, and a stored hour outside it steps into it.
class HourStepper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")
    Q_PROPERTY(int hour READ hour NOTIFY hourChanged)
    Q_PROPERTY(QString label READ label NOTIFY hourChanged)
    Q_PROPERTY(bool canDecrease READ canDecrease NOTIFY hourChanged)
    Q_PROPERTY(bool canIncrease READ canIncrease NOTIFY hourChanged)

public:
    HourStepper(QString prefix, int minimum, int maximum, std::function<int()> read,
                std::function<void(int)> write, QObject *parent = nullptr);

    int hour() const { return m_read(); }
    QString label() const;
    bool canDecrease() const { return hour() > m_minimum; }
    bool canIncrease() const { return hour() < m_maximum; }

    Q_INVOKABLE void decrease() { step(-1); }
    Q_INVOKABLE void increase() { step(+1); }

signals:
    // Emit when the hour changes, however it changed.
    void hourChanged();

private:
    void step(int delta);

    const QString m_prefix;
    const int m_minimum;
    const int m_maximum;
    const std::function<int()> m_read;
    const std::function<void(int)> m_write;
};
