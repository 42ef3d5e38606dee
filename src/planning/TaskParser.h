#pragma once

#include "planning/DictraTask.h"

#include <QList>
#include <QString>

class Clock;

// Turns one spoken plan ("tomorrow I need to call Sarah at 3 and then email the report to Tom")
// into tasks. The transcript is cut at sequencing words and sentence punctuation; each piece gives
// a day, a time of day, the people named and a short title. Holds no state: the result depends
// only on the transcript, the reminder lead and the clock's "now", read once per call.
class TaskParser
{
public:
    static constexpr double kDefaultReminderLeadHours = 3.5;

    // The tasks in spoken order: none for a blank transcript, otherwise at least one. A lead that
    // is not a finite number of hours countable in minutes is taken as the default.
    QList<DictraTask> parse(const QString &transcript, double reminderLeadHours, const Clock &clock) const;
};
