#pragma once

#include "planning/BriefingPanel.h"
#include "planning/DayBriefing.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>

class BriefingStore;

// The briefing card's content: a snapshot of one briefing, taken when it is presented and again
// after each tick on the card (not when the store changes elsewhere), shown by kind; and the
// card's actions.
class BriefingPanelViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the briefing card")
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed)
    Q_PROPERTY(QString displayDate READ displayDate NOTIFY changed)
    Q_PROPERTY(QVariantList items READ itemsForViews NOTIFY changed)
    Q_PROPERTY(QString footer READ footer NOTIFY changed)
    Q_PROPERTY(QString emptyTitle READ emptyTitle CONSTANT)
    Q_PROPERTY(QString emptyDescription READ emptyDescription CONSTANT)

public:
    using Kind = BriefingPanel::Kind;

    // `onClose` takes the card off screen.
    BriefingPanelViewModel(BriefingStore &store, std::function<void()> onClose, QObject *parent = nullptr);

    void present(const DayBriefing &briefing, Kind kind);
    // Takes the latest stored version of the current briefing (by day), if the store still has it.
    void refresh();

    Kind kind() const { return m_kind; }
    const DayBriefing &briefing() const { return m_briefing; }
    QString title() const;
    QString subtitle() const;
    // The day in the user's locale ("Saturday, 5 December 2026"), or the key when it is no date.
    QString displayDate() const;
    // The items the kind lists: a midday card only those neither done nor touched.
    QList<BriefingItem> items() const;
    QVariantList itemsForViews() const;
    // Done of all the briefing's items, whatever the kind lists: "2/5 done".
    QString footer() const;
    static QString emptyTitle();
    static QString emptyDescription();

    Q_INVOKABLE void tick(const QString &itemId);
    // Every listed item counts as dealt with; then the card goes.
    Q_INVOKABLE void gotIt();
    Q_INVOKABLE void close();

signals:
    void changed();

private:
    BriefingStore &m_store;
    std::function<void()> m_onClose;
    DayBriefing m_briefing;
    Kind m_kind = Kind::Manual;
    bool m_presented = false;
};
