#include "ui/BriefingPanelViewModel.h"

#include "planning/BriefingStore.h"

#include <QLocale>

#include <algorithm>

BriefingPanelViewModel::BriefingPanelViewModel(BriefingStore &store, std::function<void()> onClose,
                                               QObject *parent)
    : QObject(parent), m_store(store), m_onClose(std::move(onClose))
{}

void BriefingPanelViewModel::present(const DayBriefing &briefing, Kind kind)
{
    m_briefing = briefing;
    m_kind = kind;
    m_presented = true;
    refresh();
}

void BriefingPanelViewModel::refresh()
{
    if (!m_presented)
        return;
    const QList<DayBriefing> &stored = m_store.briefings();
    const auto latest = std::find_if(stored.cbegin(), stored.cend(),
                                     [this](const DayBriefing &b) { return b.dayKey == m_briefing.dayKey; });
    if (latest != stored.cend())
        m_briefing = *latest;
    emit changed();
}

QString BriefingPanelViewModel::title() const
{
    switch (m_kind) {
    case Kind::Morning:
        return u"Morning Briefing"_qs;
    case Kind::Midday:
        return u"Midday Check-in"_qs;
    case Kind::Manual:
        return u"Your Briefing"_qs;
    }
    return {};
}

QString BriefingPanelViewModel::subtitle() const
{
    switch (m_kind) {
    case Kind::Morning:
        return u"Here’s what matters today"_qs;
    case Kind::Midday:
        return u"Still open — don’t ghost these"_qs;
    case Kind::Manual:
        return u"Plan at a glance"_qs;
    }
    return {};
}

QString BriefingPanelViewModel::displayDate() const
{
    const std::optional<QDate> day = BriefingStore::date(m_briefing.dayKey);
    return day ? QLocale().toString(*day, QLocale::LongFormat) : m_briefing.dayKey;
}

QList<BriefingItem> BriefingPanelViewModel::items() const
{
    if (m_kind != Kind::Midday)
        return m_briefing.items;
    QList<BriefingItem> open;
    std::copy_if(m_briefing.items.cbegin(), m_briefing.items.cend(), std::back_inserter(open),
                 [](const BriefingItem &item) { return !item.isDone && !item.isTouched; });
    return open;
}

QVariantList BriefingPanelViewModel::itemsForViews() const
{
    QVariantList list;
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(u":ss"_qs); // some locales' short form still has seconds
    for (const BriefingItem &item : items()) {
        list << QVariantMap{
            {u"id"_qs, item.id.toString(QUuid::WithoutBraces)},
            {u"title"_qs, item.title},
            {u"done"_qs, item.isDone},
            {u"time"_qs,
             item.dueAt ? locale.toString(item.dueAt->toDateTime().toLocalTime().time(), QLocale::ShortFormat)
                        : QString()},
            {u"people"_qs, item.people.join(u", "_qs)},
        };
    }
    return list;
}

QString BriefingPanelViewModel::footer() const
{
    const auto done = std::count_if(m_briefing.items.cbegin(), m_briefing.items.cend(),
                                    [](const BriefingItem &item) { return item.isDone; });
    return QString::number(done) + u'/' + QString::number(m_briefing.items.size()) + u" done"_qs;
}

QString BriefingPanelViewModel::emptyTitle()
{
    return u"Nothing on deck"_qs;
}

QString BriefingPanelViewModel::emptyDescription()
{
    return u"Use Command Deck → Briefing and dump tomorrow’s plan tonight."_qs;
}

void BriefingPanelViewModel::tick(const QString &itemId)
{
    m_store.toggleDone(QUuid::fromString(itemId), m_briefing.dayKey);
    refresh();
}

void BriefingPanelViewModel::gotIt()
{
    for (const BriefingItem &item : items())
        m_store.markTouched(item.id, m_briefing.dayKey);
    close();
}

void BriefingPanelViewModel::close()
{
    if (m_onClose)
        m_onClose();
}
