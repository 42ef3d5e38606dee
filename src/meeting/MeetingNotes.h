#pragma once

#include "meeting/MeetingSegment.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What a meeting's transcript turns into: action items, counts and the Markdown notes. Pure
// functions of the transcript, so the session and the CLI give the same notes.
namespace MeetingNotes {

// Segments containing a to-do phrase ("action item", "will ", "by friday", …), in order.
QList<MeetingActionItem> actionItems(const QList<MeetingSegment> &segments);

// Words are the non-empty pieces between spaces (only U+0020 separates).
int wordCount(const QList<MeetingSegment> &segments);

// "m:ss" from `startedAt` to `now`, minutes not wrapped into hours; "0:00" without a start.
QString elapsedDescription(const QDateTime &startedAt, const QDateTime &now);

struct Summary
{
    QList<MeetingSegment> segments;
    QStringList speakerNames;
    QString elapsed; // elapsedDescription at the moment of export
    QDateTime exportedAt;
};

// The notes: a header with duration, speakers and word count, the action items (when there are
// any) and the transcript. Lines joined by "\n"; the text ends with one line feed.
QString markdown(const Summary &summary);

// Date and time in the user's locale: abbreviated month, day, year, hours and minutes.
QString headerDateTime(const QDateTime &moment);
// Time of day with seconds in the user's locale.
QString segmentTime(const QDateTime &moment);

} // namespace MeetingNotes
