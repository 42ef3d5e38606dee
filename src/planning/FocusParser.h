#pragma once

#include "planning/FocusSession.h"

#include <QList>
#include <QString>

// Turns a spoken focus statement into the day's North Star and up to six milestones.
class FocusParser
{
public:
    struct Result
    {
        QString northStar;
        QList<FocusMilestone> milestones;
    };

    static Result parse(const QString &text);

    // The three steps used when nothing but a goal was said.
    static QList<FocusMilestone> defaultMilestones(const QString &northStar);

private:
    static QList<FocusMilestone> splitMilestones(const QString &text);
    static QString tidy(const QString &text);
};
