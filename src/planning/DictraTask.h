#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// One task on the user's list, usually cut from a spoken plan. The id doubles as the identifier
// of the task's reminder notification.
struct DictraTask
{
    QUuid id;
    QString title;
    QString notes;
    // Names mentioned where the task was spoken, in display form.
    QStringList people;
    std::optional<Timestamp> dueAt;
    std::optional<Timestamp> remindAt;
    bool isDone = false;
    Timestamp createdAt;
    // The whole transcript the task came from, shared by every task of one capture.
    QString sourceTranscript;

    QByteArray toJson() const;
    static std::optional<DictraTask> fromJson(const QJsonValue &value);

    friend bool operator==(const DictraTask &, const DictraTask &) = default;
};
