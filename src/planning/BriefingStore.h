#pragma once

#include "core/Clock.h"
#include "planning/BriefingPanel.h"
#include "planning/DayBriefing.h"
#include "planning/TaskParser.h"
#include "stores/JsonStore.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSettings>
#include <QTimer>
#include <QUuid>

#include <optional>

class NotificationCenter;
class TaskStore;

// The day briefings made from night dumps, newest first, one per day, persisted in briefings.json.
// Schedules a morning and a midday notification for each, and its minute tick shows the card in
// the morning and again at midday while items are still untouched.
class BriefingStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<DayBriefing> briefings READ briefings NOTIFY briefingsChanged)
    Q_PROPERTY(int morningHour READ morningHour WRITE setMorningHour NOTIFY morningHourChanged)
    Q_PROPERTY(int middayHour READ middayHour WRITE setMiddayHour NOTIFY middayHourChanged)

public:
    static constexpr int kDefaultMorningHour = 8;
    static constexpr int kDefaultMiddayHour = 13;
    // The midday check stays due this many hours from the midday hour.
    static constexpr int kMiddayWindowHours = 3;

    BriefingStore(const Clock &clock, NotificationCenter &notifications, QSettings &settings,
                  const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    // The card the briefings are shown on; none (headless) shows nothing. Must outlive the store
    // or be reset to null first.
    void setPanel(BriefingPanel *panel) { m_panel = panel; }

    const QList<DayBriefing> &briefings() const { return m_briefings; }

    int morningHour() const { return m_morningHour; }
    int middayHour() const { return m_middayHour; }
    // Hours outside 0–23 are clamped into the day. Takes effect at the next tick and for dumps
    // taken afterwards; rituals already pending keep their times.
    void setMorningHour(int hour);
    void setMiddayHour(int hour);

    // Files the dump under today when it says "today" (and not "tomorrow"), otherwise under
    // tomorrow, also as tasks in `taskStore`, and schedules that day's rituals. Returns the day's
    // briefing as it now stands.
    DayBriefing captureFromSpeech(const QString &text, TaskStore &taskStore);

    // Runs tick() every minute from now on, and once at once.
    void startScheduler();
    void tick();

    std::optional<DayBriefing> today() const;
    std::optional<DayBriefing> tomorrow() const;
    // Presents today's briefing, or else tomorrow's; nothing when there is neither.
    void showTodayNow();

    void markTouched(const QUuid &id, const QString &dayKey);
    // Flips the item's done state; either way the user has now dealt with it.
    void toggleDone(const QUuid &id, const QString &dayKey);

    // The day a "yyyy-MM-dd" key names; none when it does not parse.
    static std::optional<QDate> date(const QString &dayKey);
    // 09:00 local time on the day of `day`, or `day` itself when that moment does not exist.
    static QDateTime defaultDue(const QDateTime &day);

    void flush() { m_store.flush(); }

signals:
    void briefingsChanged();
    void morningHourChanged();
    void middayHourChanged();

private:
    void setBriefings(const QList<DayBriefing> &briefings);
    qsizetype indexOfDay(const QString &dayKey) const;
    void updateItem(const QUuid &id, const QString &dayKey, bool flipDone);
    void scheduleRituals(const DayBriefing &briefing);
    void present(const DayBriefing &briefing, BriefingPanel::Kind kind);

    const Clock &m_clock;
    NotificationCenter &m_notifications;
    QSettings &m_settings;
    BriefingPanel *m_panel = nullptr;
    TaskParser m_parser;
    JsonStore<DayBriefing> m_store;
    QList<DayBriefing> m_briefings;
    int m_morningHour = kDefaultMorningHour;
    int m_middayHour = kDefaultMiddayHour;
    QTimer m_timer;
};
