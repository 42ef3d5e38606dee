// What the Command Deck, the focus HUD and the briefing card say in each state: their texts, not
// their pixels.
#include "TestRegistry.h"
#include "app/CommandDeckController.h"
#include "planning/BriefingStore.h"
#include "planning/FocusCoachStore.h"
#include "planning/TaskStore.h"
#include "support/AppHarness.h"
#include "ui/BriefingPanelViewModel.h"
#include "ui/CommandDeckViewModel.h"
#include "ui/FocusHUDViewModel.h"

#include <QTest>

namespace {

const QString kFocus = u"Goal: ship the beta. write the copy; design the hero; deploy it; tell the team"_qs;

QList<DictraTask> tasksNamed(const QStringList &titles)
{
    QList<DictraTask> tasks;
    for (const QString &title : titles) {
        DictraTask task;
        task.id = QUuid::createUuid();
        task.title = title;
        tasks << task;
    }
    return tasks;
}

// The deck's status line as "kind: text".
QString status(const CommandDeckViewModel &deck)
{
    static const char *const kinds[] = {"transcript", "banner", "ready"};
    return QString::fromLatin1(kinds[int(deck.statusKind())]) + u": "_qs + deck.statusText();
}

// The deck's mode panel as "Title | line | …", milestones as "✓title" or "○title".
QString panel(const CommandDeckViewModel &deck)
{
    QStringList parts;
    if (!deck.panelTitle().isEmpty())
        parts << deck.panelTitle();
    if (!deck.northStar().isEmpty())
        parts << deck.northStar();
    for (const QVariant &milestone : deck.milestones()) {
        const QVariantMap map = milestone.toMap();
        parts << (map.value(u"done"_qs).toBool() ? u"✓"_qs : u"○"_qs) + map.value(u"title"_qs).toString();
    }
    parts << deck.lines();
    if (deck.panelKind() == CommandDeckViewModel::PanelKind::Briefing)
        parts << (deck.canShowBriefingCard() ? u"[card]"_qs : u"[no card]"_qs);
    return parts.join(u" | "_qs);
}

} // namespace

class PanelViewModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void deck_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("mode"); // highlighted tile
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("footer");

        const QString ready = u"ready: Dictate ready — text goes to your cursor"_qs;
        QTest::newRow("first show: Capture lit, voice mode still dictate")
            << u"show"_qs << u"capture"_qs << ready << QString() << u"Mode: dictate |  | 0 open"_qs;
        QTest::newRow("five captured: the first three")
            << u"capture5"_qs << u"capture"_qs << u"banner: Captured 5 tasks · reminders set"_qs
            << u"Just captured | • One | • Two | • Three"_qs << u"Mode: dictate |  | 0 open"_qs;
        QTest::newRow("nothing captured, two upcoming")
            << u"upcoming"_qs << u"capture"_qs << ready << u"Up next | • Call Maya | • Send the deck"_qs
            << u"Mode: dictate |  | 2 open"_qs;
        QTest::newRow("listening, words arrive")
            << u"listen heard"_qs << u"capture"_qs << u"transcript: call the bank"_qs << QString()
            << u"Mode: dictate |  | 0 open"_qs;
        QTest::newRow("dictate replaces a banner")
            << u"capture5 select:dictate"_qs << u"dictate"_qs
            << u"banner: Hold Right Alt to dictate into the frontmost app"_qs
            << u"Just captured | • One | • Two | • Three"_qs << u"Mode: dictate |  | 0 open"_qs;
        QTest::newRow("focus, 3 of 4 done")
            << u"focus tick tick tick select:focus"_qs << u"focus"_qs
            << u"banner: Hold Right Alt — say today’s goal and the steps"_qs
            << u"Today’s North Star | Ship the beta | ✓Write the copy | ✓Design the hero | ✓Deploy it | ○Tell the team"_qs
            << u"Mode: focus | Focus 75% | 0 open"_qs;
        QTest::newRow("briefing: none yet")
            << u"select:briefing"_qs << u"briefing"_qs
            << u"banner: Hold Right Alt — dump tomorrow’s plan (morning card awaits)"_qs
            << u"Briefing | [no card]"_qs << u"Mode: briefing |  | 0 open"_qs;
        QTest::newRow("briefing for tomorrow and today")
            << u"briefings select:briefing"_qs << u"briefing"_qs
            << u"banner: Hold Right Alt — dump tomorrow’s plan (morning card awaits)"_qs
            << u"Briefing | Tomorrow · 2 items | Today · 1 open | [card]"_qs
            << u"Mode: briefing |  | 3 open"_qs;
    }

    void deck()
    {
        QFETCH(QString, steps);
        AppHarness app;
        AppState &state = *app.state;
        CommandDeckController &deck = state.deck();
        CommandDeckViewModel model(state, deck);
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"show") {
                deck.show();
            } else if (step == u"capture5") {
                deck.presentCapture(tasksNamed({u"One"_qs, u"Two"_qs, u"Three"_qs, u"Four"_qs, u"Five"_qs}));
            } else if (step == u"upcoming") {
                state.taskStore().setTasks(tasksNamed({u"Call Maya"_qs, u"Send the deck"_qs}));
            } else if (step == u"listen") {
                app.listen();
            } else if (step == u"heard") {
                app.recognizer->lastTask()->partial(u"call the bank"_qs);
                QTRY_COMPARE(state.liveTranscript(), u"call the bank"_qs);
            } else if (step.startsWith(u"select:")) {
                deck.select(*deckModeFromRaw(step.mid(7)));
            } else if (step == u"focus") {
                state.focusCoach().setFromSpeech(kFocus);
            } else if (step == u"tick") {
                state.focusCoach().toggleMilestone(state.focusCoach().activeMilestone()->id);
            } else if (step == u"briefings") {
                state.briefingStore().captureFromSpeech(u"call the bank then email Sam"_qs,
                                                        state.taskStore());
                state.briefingStore().captureFromSpeech(u"today water the plants"_qs, state.taskStore());
            }
        }
        QTEST(model.mode(), "mode");
        QTEST(status(model), "status");
        QTEST(panel(model), "panel");
        QTEST(QStringList({model.footerMode(), model.footerFocus(), model.footerOpen()}).join(u" | "_qs),
              "footer");
        if (state.isDictating())
            state.stopDictation();
    }

    void hud_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("now");
        QTest::addColumn<bool>("canTickOff");
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("drifting");

        QTest::newRow("no session") << QString() << QString() << false << QString() << false;
        QTest::newRow("one done") << u"set done"_qs << u"Now: Design the hero"_qs << true << u"1/4"_qs
                                  << false;
        QTest::newRow("all done") << u"set done done done done"_qs << u"All milestones done ✨"_qs << false
                                  << u"4/4"_qs << false;
        QTest::newRow("drifting") << u"set drift"_qs << u"Now: Write the copy"_qs << true << u"0/4"_qs
                                  << true;
    }

    void hud()
    {
        QFETCH(QString, steps);
        AppHarness app;
        FocusCoachStore &coach = app.state->focusCoach();
        int closed = 0;
        FocusHUDViewModel model(coach, [&closed] { ++closed; });
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"set")
                coach.setFromSpeech(kFocus);
            else if (step == u"done")
                model.done();
            else if (step == u"drift")
                coach.noteActivity(u"dictate"_qs);
        }
        QCOMPARE(model.hasSession(), !steps.isEmpty());
        QTEST(model.nowLine(), "now");
        QTEST(model.canTickOff(), "canTickOff");
        QTEST(model.count(), "count");
        QTEST(!model.driftMessage().isEmpty(), "drifting");

        // Closing keeps the session.
        model.close();
        QCOMPARE(closed, 1);
        QVERIFY(!coach.hudVisible());
        QCOMPARE(model.hasSession(), !steps.isEmpty());
    }

    void card_data()
    {
        QTest::addColumn<int>("kind"); // BriefingPanel::Kind
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("listed"); // "✓" done, "·" touched
        QTest::addColumn<QString>("footer");

        const int morning = int(BriefingPanel::Kind::Morning);
        const int midday = int(BriefingPanel::Kind::Midday);
        QTest::newRow("morning lists everything")
            << morning << u"done:0 touch:1"_qs << u"✓Call the bank at 9 am | ·Email Sam | Water the plants"_qs
            << u"1/3 done"_qs;
        QTest::newRow("midday lists what is still open")
            << midday << u"done:0 touch:1"_qs << u"Water the plants"_qs << u"1/3 done"_qs;
        QTest::newRow("midday, all touched: empty, still counted")
            << midday << u"touch:0 touch:1 touch:2"_qs << QString() << u"0/3 done"_qs;
        QTest::newRow("ticked on a midday card: gone from it")
            << midday << u"tick:2"_qs << u"Call the bank at 9 am | Email Sam"_qs << u"1/3 done"_qs;
        QTest::newRow("manual, ticked twice: open again and touched")
            << int(BriefingPanel::Kind::Manual) << u"tick:0 tick:0"_qs
            << u"·Call the bank at 9 am | Email Sam | Water the plants"_qs << u"0/3 done"_qs;
        QTest::newRow("got it on a morning card touches all")
            << morning << u"gotit"_qs << u"·Call the bank at 9 am | ·Email Sam | ·Water the plants"_qs
            << u"0/3 done"_qs;
    }

    void card()
    {
        QFETCH(int, kind);
        QFETCH(QString, steps);
        AppHarness app;
        BriefingStore &store = app.state->briefingStore();
        const DayBriefing briefing = store.captureFromSpeech(
            u"call the bank at 9 am then email Sam then water the plants"_qs, app.state->taskStore());
        int closed = 0;
        BriefingPanelViewModel model(store, [&closed] { ++closed; });
        model.present(briefing, BriefingPanel::Kind(kind));
        const QList<BriefingItem> &items = briefing.items;
        QCOMPARE(items.size(), 3);
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString action = step.section(u':', 0, 0);
            const BriefingItem &item = items.value(step.section(u':', 1).toInt());
            if (action == u"done")
                store.toggleDone(item.id, briefing.dayKey);
            else if (action == u"touch")
                store.markTouched(item.id, briefing.dayKey);
            else if (action == u"tick")
                model.tick(item.id.toString(QUuid::WithoutBraces));
            else if (action == u"gotit")
                model.gotIt();
        }
        model.refresh(); // the store changed under the card: show what it holds now
        QStringList listed;
        for (const QVariant &row : model.itemsForViews()) {
            const QVariantMap item = row.toMap();
            const QList<BriefingItem> &now = model.briefing().items;
            const auto stored = std::find_if(now.cbegin(), now.cend(), [&item](const BriefingItem &i) {
                return i.id == QUuid::fromString(item.value(u"id"_qs).toString());
            });
            listed << (stored->isDone      ? u"✓"_qs
                       : stored->isTouched ? u"·"_qs
                                           : QString()) +
                          item.value(u"title"_qs).toString();
        }
        QTEST(listed.join(u" | "_qs), "listed");
        QTEST(model.footer(), "footer");
        QCOMPARE(closed, steps == u"gotit" ? 1 : 0);
        QCOMPARE(model.displayDate(), u"Monday, 7 December 2026"_qs);
    }
};

DICTRAVA_TEST(PanelViewModelsTest)
#include "PanelViewModelsTest.moc"
