#pragma once

#include "platform/NotificationCenter.h"

#include <QList>

// Keeps what was posted and withdrawn, in order, for tests of the stores that notify.
class RecordingNotificationCenter final : public NotificationCenter
{
public:
    void requestAuthorization() override {}
    void add(const NotificationRequest &request) override { added.append(request); }
    void removePending(const QStringList &identifiers) override { removed.append(identifiers); }

    QList<NotificationRequest> added;
    QStringList removed;
};
