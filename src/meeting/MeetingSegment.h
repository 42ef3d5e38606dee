#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QUuid>

// One recognised utterance of a meeting, attributed to a voice of the roster. Lives in memory only.
struct MeetingSegment
{
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(int speakerIndex MEMBER speakerIndex)
    Q_PROPERTY(QString speakerLabel MEMBER speakerLabel)
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QDateTime date MEMBER date)
    Q_PROPERTY(double start MEMBER start)
    Q_PROPERTY(double end MEMBER end)

public:
    QUuid id;
    int speakerIndex = 0;
    // The voice's name, or "Speaker N"; rewritten when the voice is named later.
    QString speakerLabel;
    QString text;   // trimmed, never empty
    QDateTime date; // when the segment was added, not when the utterance began
    // When it was spoken, in seconds from the start of the meeting's audio.
    double start = 0;
    double end = 0;

    friend bool operator==(const MeetingSegment &, const MeetingSegment &) = default;
};

// A segment that reads like something someone has to do. Computed on demand.
struct MeetingActionItem
{
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(QString speakerLabel MEMBER speakerLabel)

public:
    QUuid id; // fresh each time the list is computed
    QString text;
    QString speakerLabel;

    friend bool operator==(const MeetingActionItem &, const MeetingActionItem &) = default;
};
