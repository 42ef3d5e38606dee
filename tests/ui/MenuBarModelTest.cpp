#include "ui/MenuBarModel.h"
#include "TestRegistry.h"
#include "app/CommandDeckController.h"
#include "planning/FocusCoachStore.h"
#include "planning/TaskStore.h"
#include "support/AppHarness.h"
#include "ui/MenuBarPanel.h"
#include "ui/ShellWindows.h"
#include "ui/ViewEngine.h"

#include <QTest>

namespace {

const QString kFocusSpeech = u"Goal: ship it. write the copy; design the hero; deploy it; tell the team"_qs;

QString rowTitle(const MenuBarModel &model, const QString &action)
{
    for (const MenuBarRow &row : model.rows()) {
        if (row.action == action)
            return row.title + u" / "_qs + row.symbol;
    }
    return {};
}

// What the panel shows between the status line and the rows.
QString box(const MenuBarModel &model)
{
    if (model.showsLiveBox())
        return u"live: "_qs + model.liveTranscript();
    if (model.showsLastResultBox())
        return model.lastResultLabel() + u": "_qs + model.lastResult();
    return {};
}

} // namespace

class MenuBarModelTest : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("listening");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("hudRow");
        QTest::addColumn<QString>("tasks");
        QTest::addColumn<QString>("hint"); // while listening
        QTest::addColumn<QString>("box");

        const QString start = u"Start listening / mic.circle"_qs;
        const QString stop = u"Stop listening / stop.circle"_qs;
        const QString coach = u"Focus Coach / target"_qs;
        const QString noTasks = u"Tasks & Reminders (0) / checklist"_qs;
        QTest::newRow("a quarter done") << u"focus done"_qs << start << u"Focus · 25% / target"_qs << true
                                        << noTasks << QString() << QString();
        QTest::newRow("open tasks only are counted")
            << u"tasks"_qs << start << coach << false << u"Tasks & Reminders (2) / checklist"_qs << QString()
            << QString();
        QTest::newRow("last result") << u"result"_qs << start << coach << false << noTasks << QString()
                                     << u"Last dictation: Buy milk."_qs;
        QTest::newRow("label follows the mode now") << u"result capture"_qs << start << coach << false
                                                    << noTasks << QString() << u"Last capture: Buy milk."_qs;
        QTest::newRow("listening, nothing heard: old result stays")
            << u"result listen"_qs << stop << coach << false << noTasks << u"Hold Alt — take your time"_qs
            << u"Last dictation: Buy milk."_qs;
        QTest::newRow("listening, text arrives: live box")
            << u"result listen heard"_qs << stop << coach << false << noTasks
            << u"Hold Alt — take your time"_qs << u"live: hello there"_qs;
    }

    void texts()
    {
        QFETCH(QString, steps);
        AppHarness app;
        AppState &state = *app.state;
        ShellWindows windows;
        MenuBarModel model(state, windows);
        model.setShown(true); // what follows changes the stores under a panel on screen
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"focus") {
                state.focusCoach().setFromSpeech(kFocusSpeech);
            } else if (step == u"done") {
                state.focusCoach().toggleMilestone(state.focusCoach().session()->milestones.first().id);
            } else if (step == u"tasks") {
                DictraTask open, done;
                done.isDone = true;
                state.taskStore().setTasks({open, done, open});
            } else if (step == u"result") {
                state.process(u"buy milk"_qs, VoiceMode::Dictate);
            } else if (step == u"capture") {
                state.setVoiceMode(VoiceMode::Capture);
            } else if (step == u"listen") {
                app.listen();
            } else if (step == u"heard") {
                app.recognizer->lastTask()->partial(u"hello there"_qs);
                QTRY_VERIFY(!state.liveTranscript().isEmpty());
            }
        }
        QTEST(rowTitle(model, u"listening"_qs), "listening");
        QTEST(rowTitle(model, u"focus"_qs), "focus");
        QTEST(!rowTitle(model, u"focusHud"_qs).isEmpty(), "hudRow");
        QTEST(rowTitle(model, u"tasks"_qs), "tasks");
        QTEST(model.isDictating() ? model.listeningHint() : QString(), "hint");
        QTEST(box(model), "box");
        QCOMPARE(model.waveRunning(), model.isDictating());
        if (state.isDictating())
            state.stopDictation();
    }

    void percentIsTruncated_data()
    {
        QTest::addColumn<double>("progress");
        QTest::addColumn<int>("percent");
        QTest::newRow("two thirds") << 2.0 / 3 << 66;
        QTest::newRow("0.29 is not 28") << 0.29 << 29;
    }

    void percentIsTruncated()
    {
        QFETCH(double, progress);
        QTEST(MenuBarRows::percentOf(progress), "percent");
    }

    // Rows that bring something up close the popup first and act once it has gone; the listening
    // row acts at once and the popup stays.
    void rowActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("outcome"); // "dictating", "deck:<mode>" or the window opened
        QTest::newRow("listening") << u"listening"_qs << u"dictating"_qs;
        QTest::newRow("deck") << u"deck"_qs << u"deck:capture"_qs;
        QTest::newRow("focus") << u"focus"_qs << u"deck:focus"_qs;
        QTest::newRow("tasks") << u"tasks"_qs << u"tasks"_qs;
        QTest::newRow("meeting") << u"meeting"_qs << u"meeting"_qs;
    }

    void rowActions()
    {
        QFETCH(QString, action);
        QFETCH(QString, outcome);
        AppHarness app;
        ViewEngine views;
        ShellWindows windows(&views);
        MenuBarPanel panel(*app.state, windows, views);
        panel.show(QRect(600, 0, 24, 24));
        QStringList opened;
        for (const QString &id : {u"tasks"_qs, u"meeting"_qs})
            windows.registerWindow(id, [&opened, &panel, id] {
                opened << (panel.isVisible() ? u"under the popup: "_qs : QString()) + id;
                return new QWindow;
            });
        const auto happened = [&] {
            if (app.state->isDictating())
                return u"dictating"_qs;
            return app.state->deck().isVisible() ? u"deck:"_qs + app.state->deck().modeRaw()
                                                 : opened.join(u' ');
        };

        panel.model()->trigger(action);
        const bool panelStays = action == u"listening"_qs;
        QCOMPARE(panel.isVisible(), panelStays);
        QCOMPARE(happened(), panelStays ? outcome : QString()); // nothing until the panel has gone
        QTRY_COMPARE(happened(), outcome);
        if (panelStays) {
            panel.hide();
            QVERIFY(!panel.model()->waveRunning()); // not on screen: no animation
            panel.model()->trigger(action);
            QVERIFY(!app.state->isDictating());
        }
    }
};

DICTRAVA_TEST(MenuBarModelTest)
#include "MenuBarModelTest.moc"
