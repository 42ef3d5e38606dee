#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// One local notification: what it says, its identifier, and when it fires.
struct NotificationRequest
{
    QString identifier;
    QString title;
    QString body;
    bool defaultSound = true;
    // A non-repeating calendar trigger in local time; no value means at once.
    std::optional<QDateTime> fireAt;

    friend bool operator==(const NotificationRequest &, const NotificationRequest &) = default;
};

// Where reminders, nudges and briefing rituals are posted. Posting never reports failure:
// a desktop without a notification service simply shows nothing.
class NotificationCenter
{
public:
    virtual ~NotificationCenter() = default;

    virtual void requestAuthorization() = 0;
    // Replaces any pending (and shown) notification with the same identifier.
    virtual void add(const NotificationRequest &request) = 0;
    virtual void removePending(const QStringList &identifiers) = 0;
};
