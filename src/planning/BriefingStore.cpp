#include "planning/BriefingStore.h"

#include "core/DayKey.h"
#include "core/Text.h"
#include "planning/TaskStore.h"
#include "platform/NotificationCenter.h"

#include <QMetaType>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kMorningHourKey = u"briefingMorningHour"_s;
const QString kMiddayHourKey = u"briefingMiddayHour"_s;
constexpr int kTickIntervalMs = 60'000;

// The settings file is text the user may have edited. Anything but a whole hour of the day
// (a word, a fraction, 25, a list) stands for the default rather than a guess at what was meant.
int hourFromSettings(const QVariant &stored, int fallback)
{
    bool ok = false;
    int hour = -1;
    switch (stored.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong value = stored.toLongLong(&ok);
        ok = ok && value >= 0 && value <= 23;
        hour = static_cast<int>(value);
        break;
    }
    case QMetaType::QString:
        hour = stored.toString().trimmed().toInt(&ok);
        break;
    case QMetaType::QByteArray:
        hour = stored.toByteArray().trimmed().toInt(&ok);
        break;
    default:
        break;
    }
    return ok && hour >= 0 && hour <= 23 ? hour : fallback;
}

// The given hour of `day`, local time. An hour skipped by a daylight-saving change falls as far
// past the change as it was into it (02:00 becomes 03:00), so that day's ritual is not lost.
std::optional<QDateTime> atHour(const QDate &day, int hour)
{
    QDateTime moment(day, QTime(hour, 0));
    if (!moment.isValid())
        moment = day.startOfDay().addSecs(hour * 3600LL);
    if (!moment.isValid())
        return std::nullopt;
    return moment;
}

} // namespace

BriefingStore::BriefingStore(const Clock &clock, NotificationCenter &notifications, QSettings &settings,
                             const QString &folder, QObject *parent)
    : QObject(parent), m_clock(clock), m_notifications(notifications), m_settings(settings),
      m_store(u"briefings.json"_s, folder), m_briefings(m_store.load()),
      m_morningHour(hourFromSettings(settings.value(kMorningHourKey), kDefaultMorningHour)),
      m_middayHour(hourFromSettings(settings.value(kMiddayHourKey), kDefaultMiddayHour))
{
    m_timer.setInterval(kTickIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &BriefingStore::tick);
}

void BriefingStore::setMorningHour(int hour)
{
    hour = std::clamp(hour, 0, 23);
    if (hour == m_morningHour)
        return;
    m_morningHour = hour;
    m_settings.setValue(kMorningHourKey, hour);
    emit morningHourChanged();
}

void BriefingStore::setMiddayHour(int hour)
{
    hour = std::clamp(hour, 0, 23);
    if (hour == m_middayHour)
        return;
    m_middayHour = hour;
    m_settings.setValue(kMiddayHourKey, hour);
    emit middayHourChanged();
}

DayBriefing BriefingStore::captureFromSpeech(const QString &text, TaskStore &taskStore)
{
    const QDateTime now = m_clock.now();
    const QString lower = Text::lower(text);
    QDateTime target = now;
    if (!lower.contains(u"today"_s) || lower.contains(u"tomorrow"_s)) {
        const QDateTime nextDay = now.addDays(1);
        target = nextDay.isValid() ? nextDay : now;
    }
    const QString key = dayKey(target);

    QList<BriefingItem> items;
    for (const DictraTask &task : m_parser.parse(text, taskStore.reminderLeadHours(), m_clock)) {
        const Timestamp due = task.dueAt.value_or(Timestamp::fromDateTime(defaultDue(target)));
        items.append(BriefingItem{QUuid::createUuid(), task.title, task.people, due, false, false});
    }
    taskStore.captureFromSpeech(text);

    QList<DayBriefing> briefings = m_briefings;
    DayBriefing briefing;
    const qsizetype index = indexOfDay(key);
    if (index >= 0) {
        briefing = briefings.at(index);
        briefing.items.append(items);
        briefing.rawTranscript += u'\n' + text;
        briefings[index] = briefing;
    } else {
        briefing = DayBriefing{key, items, text, Timestamp::fromDateTime(now), false, false};
        briefings.prepend(briefing);
    }
    setBriefings(briefings);
    scheduleRituals(briefing);
    return briefing;
}

void BriefingStore::startScheduler()
{
    m_timer.start();
    tick();
}

void BriefingStore::tick()
{
    const QDateTime now = m_clock.now().toLocalTime();
    const int hour = now.time().hour();
    const qsizetype index = indexOfDay(dayKey(now));
    if (index < 0)
        return;
    DayBriefing briefing = m_briefings.at(index);
    QList<DayBriefing> briefings = m_briefings;

    if (m_morningHour <= hour && hour < m_middayHour && !briefing.morningShown) {
        briefing.morningShown = true;
        briefings[index] = briefing;
        setBriefings(briefings);
        present(briefing, BriefingPanel::Kind::Morning);
    } else if (m_middayHour <= hour && hour < m_middayHour + kMiddayWindowHours && !briefing.middayShown) {
        const bool anyOpen =
            std::any_of(briefing.items.cbegin(), briefing.items.cend(),
                        [](const BriefingItem &item) { return !item.isDone && !item.isTouched; });
        // Used up even when nothing is open, so the check runs once a day.
        briefing.middayShown = true;
        briefings[index] = briefing;
        setBriefings(briefings);
        if (anyOpen)
            present(briefing, BriefingPanel::Kind::Midday);
    }
}

std::optional<DayBriefing> BriefingStore::today() const
{
    const qsizetype index = indexOfDay(dayKey(m_clock.now()));
    return index >= 0 ? std::optional<DayBriefing>(m_briefings.at(index)) : std::nullopt;
}

std::optional<DayBriefing> BriefingStore::tomorrow() const
{
    const QDateTime nextDay = m_clock.now().addDays(1);
    if (!nextDay.isValid())
        return std::nullopt;
    const qsizetype index = indexOfDay(dayKey(nextDay));
    return index >= 0 ? std::optional<DayBriefing>(m_briefings.at(index)) : std::nullopt;
}

void BriefingStore::showTodayNow()
{
    std::optional<DayBriefing> briefing = today();
    if (!briefing)
        briefing = tomorrow();
    if (briefing)
        present(*briefing, BriefingPanel::Kind::Manual);
}

void BriefingStore::markTouched(const QUuid &id, const QString &dayKey)
{
    updateItem(id, dayKey, false);
}

void BriefingStore::toggleDone(const QUuid &id, const QString &dayKey)
{
    updateItem(id, dayKey, true);
}

std::optional<QDate> BriefingStore::date(const QString &dayKey)
{
    const QString format = u"yyyy-MM-dd"_s;
    const QDate day = QDate::fromString(dayKey, format);
    // Only the form this store writes: "2026-3-5" or a year beyond four digits do not name a day.
    if (!day.isValid() || day.toString(format) != dayKey)
        return std::nullopt;
    return day;
}

QDateTime BriefingStore::defaultDue(const QDateTime &day)
{
    const QDateTime nine(day.toLocalTime().date(), QTime(9, 0));
    return nine.isValid() ? nine : day;
}

void BriefingStore::setBriefings(const QList<DayBriefing> &briefings)
{
    m_briefings = briefings;
    emit briefingsChanged();
    m_store.save(m_briefings);
}

qsizetype BriefingStore::indexOfDay(const QString &dayKey) const
{
    const auto found = std::find_if(m_briefings.cbegin(), m_briefings.cend(),
                                    [&](const DayBriefing &briefing) { return briefing.dayKey == dayKey; });
    return found == m_briefings.cend() ? -1 : std::distance(m_briefings.cbegin(), found);
}

void BriefingStore::updateItem(const QUuid &id, const QString &dayKey, bool flipDone)
{
    const qsizetype index = indexOfDay(dayKey);
    if (index < 0)
        return;
    QList<DayBriefing> briefings = m_briefings;
    QList<BriefingItem> &items = briefings[index].items;
    const auto item = std::find_if(items.begin(), items.end(),
                                   [&](const BriefingItem &candidate) { return candidate.id == id; });
    if (item == items.end())
        return;
    if (flipDone)
        item->isDone = !item->isDone;
    item->isTouched = true;
    setBriefings(briefings);
}

void BriefingStore::scheduleRituals(const DayBriefing &briefing)
{
    const std::optional<QDate> day = date(briefing.dayKey);
    if (!day)
        return;
    const QDateTime now = m_clock.now();
    const std::optional<QDateTime> morning = atHour(*day, m_morningHour);
    if (morning && *morning > now)
        m_notifications.add(NotificationRequest{
            u"briefing-morning-"_s + briefing.dayKey, u"Your Dictra morning briefing"_s,
            QString::number(briefing.items.size()) + u" things on deck today"_s, true, *morning});
    const std::optional<QDateTime> midday = atHour(*day, m_middayHour);
    if (midday && *midday > now)
        m_notifications.add(NotificationRequest{u"briefing-midday-"_s + briefing.dayKey, u"Midday check-in"_s,
                                                u"Still open: revisit what you haven’t touched"_s, true,
                                                *midday});
}

void BriefingStore::present(const DayBriefing &briefing, BriefingPanel::Kind kind)
{
    if (m_panel)
        m_panel->present(briefing, kind);
}
