// The models behind the tasks, history and settings windows, against the real stores in a
// private data folder.
#include "TestRegistry.h"
#include "planning/BriefingStore.h"
#include "planning/TaskStore.h"
#include "stores/DictionaryStore.h"
#include "stores/HistoryStore.h"
#include "stores/SnippetStore.h"
#include "support/AppHarness.h"
#include "ui/DateLabels.h"
#include "ui/DictionaryListModel.h"
#include "ui/HistoryListModel.h"
#include "ui/HourStepper.h"
#include "ui/SettingsModel.h"
#include "ui/SnippetListModel.h"
#include "ui/TaskListModel.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, u"yyyy-MM-dd HH:mm"_qs);
}

// "title;done;due=2026-12-07 09:00;remind=2026-12-07 05:30;people=Sarah,Tom", fields after the
// title optional and in any order.
DictraTask task(const QString &line)
{
    const QStringList fields = line.split(u';');
    DictraTask task;
    task.id = QUuid::createUuid();
    task.title = fields.first();
    task.createdAt = Timestamp::fromDateTime(at(u"2026-12-06 20:00"_qs));
    for (const QString &field : fields.mid(1)) {
        const QString value = field.section(u'=', 1);
        if (field == u"done")
            task.isDone = true;
        else if (field.startsWith(u"due="))
            task.dueAt = Timestamp::fromDateTime(at(value));
        else if (field.startsWith(u"remind="))
            task.remindAt = Timestamp::fromDateTime(at(value));
        else if (field.startsWith(u"people="))
            task.people = value.split(u',');
    }
    return task;
}

// A row as the window shows it: "section | title | due | nudge | people", empty labels left out.
QStringList shownRows(const TaskListModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.count(); ++row) {
        QStringList parts;
        for (const int role : {TaskListModel::SectionRole, TaskListModel::TitleRole, TaskListModel::DueRole,
                               TaskListModel::NudgeRole, TaskListModel::PeopleRole}) {
            const QString text = model.data(model.index(row), role).toString();
            if (!text.isEmpty())
                parts << text;
        }
        rows << parts.join(u" | "_qs);
    }
    return rows;
}

// The structural changes a model announced, as "+from-to", "-from-to", "~from-to" or "reset".
struct ChangeLog
{
    explicit ChangeLog(QAbstractItemModel &model)
    {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model,
                         [this](const QModelIndex &, int first, int last) { add(u'+', first, last); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model,
                         [this](const QModelIndex &, int first, int last) { add(u'-', first, last); });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                         [this](const QModelIndex &first, const QModelIndex &last) {
                             add(u'~', first.row(), last.row());
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [this] { changes << u"reset"_qs; });
    }
    void add(QChar kind, int first, int last)
    {
        changes << kind + QString::number(first) + u'-' + QString::number(last);
    }
    QStringList changes;
};

} // namespace

class WindowModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // C keeps the seconds in its short time format; the label never shows them.
    void dateLabelInTheCLocale()
    {
        QCOMPARE(DateLabels::abbreviatedDateTime(at(u"2026-12-07 15:05"_qs), QLocale::c()),
                 u"7 Dec 2026, 15:05"_qs);
    }

    // Sections, order, detail labels and footer, before and after what the user does.
    void tasksWindow_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<bool>("canClearDone");

        const QStringList onlyDone{u"Pay rent;done;due=2026-12-07 09:00;remind=2026-12-07 05:30"_qs,
                                   u"Call Sam;done"_qs};
        QTest::newRow("only done: no Open section, no nudge")
            << onlyDone << QString()
            << QStringList{u"Done | Pay rent | Dec 7, 2026, 9:00 AM"_qs, u"Done | Call Sam"_qs}
            << u"0 open · 2 done"_qs << true;
        QTest::newRow("only done, cleared: empty")
            << onlyDone << u"clear"_qs << QStringList() << u"0 open · 0 done"_qs << false;
        QTest::newRow("reopened: the nudge comes back")
            << onlyDone << u"toggle 0"_qs
            << QStringList{u"Open | Pay rent | Dec 7, 2026, 9:00 AM | nudge 5:30 AM"_qs,
                           u"Done | Call Sam"_qs}
            << u"1 open · 1 done"_qs << true;

        // Stored order: most recent capture first, done tasks among them.
        const QStringList mixed{
            u"Book flights;done;due=2026-12-07 08:00"_qs,
            u"Water plants"_qs,
            u"Send deck;due=2026-12-08 15:00;remind=2026-12-08 11:30;people=Sarah,Tom"_qs,
            u"Call about the lease;due=2026-12-08 09:00"_qs,
            u"Renew passport;done"_qs,
        };
        const QString lease = u"Open | Call about the lease | Dec 8, 2026, 9:00 AM"_qs;
        const QString sendDeck = u"Open | Send deck | Dec 8, 2026, 3:00 PM | nudge 11:30 AM | Sarah, Tom"_qs;
        const QString water = u"Open | Water plants"_qs;
        const QStringList done{u"Done | Book flights | Dec 7, 2026, 8:00 AM"_qs, u"Done | Renew passport"_qs};
        QTest::newRow("open by due time, undated last; done in stored order")
            << mixed << QString() << QStringList{lease, sendDeck, water} + done << u"3 open · 2 done"_qs
            << true;
        QTest::newRow("deleting the second open row deletes that task")
            << mixed << u"remove 1"_qs << QStringList{lease, water} + done << u"2 open · 2 done"_qs << true;
        QTest::newRow("a done row is not deleted")
            << mixed << u"remove 3"_qs << QStringList{lease, sendDeck, water} + done << u"3 open · 2 done"_qs
            << true;
        QTest::newRow("ticking moves the task to Done")
            << mixed << u"toggle 1"_qs
            << QStringList{lease, water, done[0], u"Done | Send deck | Dec 8, 2026, 3:00 PM | Sarah, Tom"_qs,
                           done[1]}
            << u"2 open · 3 done"_qs << true;
    }

    void tasksWindow()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, action);

        AppHarness app;
        TaskStore &store = app.state->taskStore();
        QList<DictraTask> tasks;
        for (const QString &line : stored)
            tasks << task(line);
        store.setTasks(tasks);
        TaskListModel model(store, *app.state);

        const QString verb = action.section(u' ', 0, 0);
        const int row = action.section(u' ', 1).toInt();
        if (verb == u"remove") {
            QCOMPARE(model.remove(row), model.canRemove(row));
        } else if (verb == u"toggle") {
            model.toggleDone(row);
        } else if (verb == u"clear") {
            model.clearDone();
        }
        QTEST(shownRows(model), "shown");
        QTEST(model.footerText(), "footer");
        QTEST(model.canClearDone(), "canClearDone");
        QCOMPARE(model.count(), store.tasks().size()); // the rows are the store's open and done tasks
    }

    // The history list changes row by row, so a long list keeps its place and selection.
    void historyChanges_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("firstText");

        QTest::newRow("a new dictation arrives at the top")
            << 3 << u"add"_qs << QStringList{u"+0-0"_qs} << u"new"_qs;
        QTest::newRow("the 501st pushes the oldest out")
            << 500 << u"add"_qs << QStringList{u"+0-0"_qs, u"-500-500"_qs} << u"new"_qs;
        QTest::newRow("deleting a row")
            << 5 << u"remove 2"_qs << QStringList{u"-2-2"_qs} << u"dictation 5"_qs;
        QTest::newRow("clear all") << 5 << u"clear"_qs << QStringList{u"-0-4"_qs} << QString();
        QTest::newRow("clear all on an empty history does nothing")
            << 0 << u"clear"_qs << QStringList() << QString();
    }

    void historyChanges()
    {
        QFETCH(int, entries);
        QFETCH(QString, action);

        AppHarness app;
        HistoryStore &store = app.state->historyStore();
        for (int i = 1; i <= entries; ++i)
            store.add(u"dictation "_qs + QString::number(i));
        HistoryListModel model(store, app);
        ChangeLog log(model);
        if (action == u"add")
            store.add(u"new"_qs);
        else if (action.startsWith(u"remove"))
            model.remove(action.section(u' ', 1).toInt());
        else
            model.clearAll();

        QTEST(log.changes, "changes");
        QCOMPARE(model.count(), store.entries().size());
        QTEST(model.data(model.index(0), HistoryListModel::TextRole).toString(), "firstText");
    }

    void historyRowLabelsAndCopy()
    {
        AppHarness app;
        app.clock.set(at(u"2026-12-06 14:07"_qs));
        app.state->historyStore().add(u"first"_qs);
        app.clock.set(at(u"2026-12-06 21:30"_qs));
        app.state->historyStore().add(u"second"_qs);
        app.setText(u"something else"_qs);
        HistoryListModel model(app.state->historyStore(), app);

        QCOMPARE(model.data(model.index(1), HistoryListModel::DateRole).toString(), u"Dec 6, 2026"_qs);
        QCOMPARE(model.data(model.index(1), HistoryListModel::TimeRole).toString(), u"2:07 PM"_qs);
        model.copy(1);
        QCOMPARE(app.text(), u"first"_qs);
        QCOMPARE(app.snapshot().size(), 1); // the old content is gone, not kept beside
    }

    // "Add" needs text in both fields (spaces count); adding appends exactly what was typed and
    // empties both fields.
    void addRules_data()
    {
        QTest::addColumn<bool>("snippet");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("canAdd");

        for (const bool snippet : {false, true}) {
            const char *kind = snippet ? "snippet: " : "dictionary: ";
            QTest::addRow("%ssecond empty", kind) << snippet << u"my sequel"_qs << QString() << false;
            QTest::addRow("%sspaces count as text", kind) << snippet << u" "_qs << u"  "_qs << true;
            QTest::addRow("%sboth filled", kind) << snippet << u"my sequel "_qs << u"MySQL\nline"_qs << true;
        }
    }

    void addRules()
    {
        QFETCH(bool, snippet);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, canAdd);

        AppHarness app;
        app.state->dictionaryStore().add(u"kay"_qs, u"Kay"_qs);
        app.state->snippetStore().add(u"sig"_qs, u"Best, Kay"_qs);
        DictionaryListModel dictionary(app.state->dictionaryStore());
        SnippetListModel snippets(app.state->snippetStore());
        RowListModel &list = snippet ? static_cast<RowListModel &>(snippets) : dictionary;
        const char *const fields[] = {snippet ? "cue" : "spoken", snippet ? "content" : "written"};
        list.setProperty(fields[0], first);
        list.setProperty(fields[1], second);
        QCOMPARE(list.property("canAdd").toBool(), canAdd);

        bool added = !canAdd;
        QVERIFY(QMetaObject::invokeMethod(&list, "add", Q_RETURN_ARG(bool, added)));
        QCOMPARE(added, canAdd);
        QCOMPARE(list.count(), canAdd ? 2 : 1);
        const auto &entry = app.state->dictionaryStore().entries().last();
        const auto &cue = app.state->snippetStore().snippets().last();
        const QStringList last =
            snippet ? QStringList{cue.cue, cue.content} : QStringList{entry.spoken, entry.written};
        QCOMPARE(last == QStringList({first, second}), canAdd);
        QCOMPARE(list.property(fields[0]).toString(), canAdd ? QString() : first);
        QCOMPARE(list.property(fields[1]).toString(), canAdd ? QString() : second);
        QVERIFY(!list.property("canAdd").toBool());
    }

    void outputPicker_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("clipboardOnly") << QVariant(u"clipboardOnly"_qs) << 1 << 0 << u"typeAtCursor"_qs;
        QTest::newRow("typeAtCursor") << QVariant(u"typeAtCursor"_qs) << 0 << 1 << u"clipboardOnly"_qs;
        QTest::newRow("unknown choice: nothing written") << QVariant(u"paste"_qs) << 0 << 2 << u"paste"_qs;
    }

    void outputPicker()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, shown);
        QFETCH(int, chosen);
        AppHarness app(stored.isValid() ? QVariantMap{{u"insertMode"_qs, stored}} : QVariantMap{});
        SettingsModel model(*app.state);
        QCOMPARE(model.outputIndex(), shown);
        QSignalSpy changed(&model, &SettingsModel::outputIndexChanged);
        model.setOutputIndex(chosen);
        QTEST(app.settings.value(u"insertMode"_qs).toString(), "written");
        QCOMPARE(changed.size(), chosen == shown || chosen > 1 ? 0 : 1);
        QCOMPARE(model.outputIndex(), chosen > 1 ? shown : chosen);
    }

    // Steps stay inside each stepper's range; an hour stored outside it steps into it.
    void hourSteppers_data()
    {
        QTest::addColumn<bool>("midday");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("canDecrease");
        QTest::addColumn<bool>("canIncrease");

        QTest::newRow("morning up to 11, no further")
            << false << -1 << u"++++"_qs << u"Morning hour: 11:00"_qs << true << false;
        QTest::newRow("morning stored at 3 steps up into range")
            << false << 3 << u"+"_qs << u"Morning hour: 5:00"_qs << false << true;
        QTest::newRow("midday down to 11, no further")
            << true << 12 << u"--"_qs << u"Midday hour: 11:00"_qs << false << true;
        QTest::newRow("midday stored at 20 steps down into range")
            << true << 20 << u"-"_qs << u"Midday hour: 16:00"_qs << true << false;
    }

    void hourSteppers()
    {
        QFETCH(bool, midday);
        QFETCH(int, stored);
        QFETCH(QString, steps);

        const QString key = midday ? u"briefingMiddayHour"_qs : u"briefingMorningHour"_qs;
        AppHarness app(stored >= 0 ? QVariantMap{{key, stored}} : QVariantMap{});
        SettingsModel model(*app.state);
        HourStepper *stepper = midday ? model.middayHour() : model.morningHour();
        for (const QChar step : steps)
            step == u'+' ? stepper->increase() : stepper->decrease();
        QTEST(stepper->label(), "label");
        QTEST(stepper->canDecrease(), "canDecrease");
        QTEST(stepper->canIncrease(), "canIncrease");
        BriefingStore &briefings = app.state->briefingStore();
        QCOMPARE(midday ? briefings.middayHour() : briefings.morningHour(), stepper->hour());
        if (!steps.isEmpty())
            QCOMPARE(app.settings.value(key).toInt(), stepper->hour());
    }

    // The slider moves in half hours from 1 to 6; each change is stored and every open task's
    // reminder is posted again at its stored time.
    void leadSlider_data()
    {
        QTest::addColumn<double>("moved");
        QTest::addColumn<double>("lead");
        QTest::addColumn<QString>("label");
        QTest::newRow("between steps: the nearest") << 2.3 << 2.5 << u"2.5h"_qs;
        QTest::newRow("below the range") << 0.2 << 1.0 << u"1.0h"_qs;
        QTest::newRow("above the range") << 9.0 << 6.0 << u"6.0h"_qs;
        QTest::newRow("unchanged: no rescheduling") << 3.5 << 3.5 << u"3.5h"_qs;
        QTest::newRow("not a number: ignored") << std::nan("") << 3.5 << u"3.5h"_qs;
    }

    void leadSlider()
    {
        QFETCH(double, moved);
        QFETCH(double, lead);
        QFETCH(QString, label);

        AppHarness app;
        TaskStore &store = app.state->taskStore();
        const DictraTask later = task(u"Send deck;due=2026-12-08 15:00;remind=2026-12-08 11:30"_qs);
        store.setTasks({later, task(u"Pay rent;done;due=2026-12-08 09:00;remind=2026-12-08 05:30"_qs),
                        task(u"Water plants"_qs)});
        SettingsModel model(*app.state);
        TaskListModel tasks(store, *app.state);
        QSignalSpy leadTextChanged(&tasks, &TaskListModel::leadTextChanged);
        app.notifications.added.clear();
        model.setLeadHours(moved);

        QCOMPARE(model.leadHours(), lead);
        QCOMPARE(model.leadLabel(), label);
        QCOMPARE(store.reminderLeadHours(), lead);
        const bool changed = lead != 3.5;
        QCOMPARE(app.settings.contains(u"reminderLeadHours"_qs), changed);
        QCOMPARE(tasks.leadText(), u"Reminders fire ~%1 before due time"_qs.arg(label));
        QCOMPARE(leadTextChanged.isEmpty(), !changed);
        // Only the open task with a reminder ahead is posted again.
        QCOMPARE(app.notifications.added.size(), changed ? 1 : 0);
    }

    // The rows follow the app state; a grant made since shows on the next check.
    void permissionRows()
    {
        AppHarness app;
        SettingsModel model(*app.state);
        PermissionListModel &rows = *model.permissions();
        QCOMPARE(rows.rowCount(), 3); // X11 shows every key to the app
        QTRY_VERIFY(rows.data(rows.index(0), PermissionListModel::GrantedRole).toBool());
        const auto accessibility = [&](int role) { return rows.data(rows.index(2), role); };
        QVERIFY(!accessibility(PermissionListModel::GrantedRole).toBool());
        QVERIFY(!accessibility(PermissionListModel::CanOpenSettingsRole).toBool());
        QVERIFY(accessibility(PermissionListModel::HelpRole).toString().contains(u"XTEST"_qs));

        app.trusted = true;
        const int promptsBefore = app.prompts;
        model.recheckPermissions();
        QTRY_VERIFY(accessibility(PermissionListModel::GrantedRole).toBool());
        QCOMPARE(accessibility(PermissionListModel::HelpRole).toString(), QString());
        QCOMPARE(app.prompts, promptsBefore); // asked without prompting

        // Where the desktop has a place to grant it, the row offers it instead of the help.
        app.trusted = false;
        SettingsModel withPlace(*app.state, DesktopAccess{{}, QUrl(u"settings://privacy"_qs)});
        model.recheckPermissions();
        PermissionListModel &placed = *withPlace.permissions();
        QTRY_VERIFY(!placed.data(placed.index(2), PermissionListModel::GrantedRole).toBool());
        QVERIFY(placed.data(placed.index(2), PermissionListModel::CanOpenSettingsRole).toBool());
        QCOMPARE(placed.data(placed.index(2), PermissionListModel::HelpRole).toString(), QString());
    }

    // Where the app cannot watch the keys itself a fourth row says how push-to-talk arrives, and
    // the typing row says how this session lets the app paste, or what it lacks.
    void permissionRowsPerSession_data()
    {
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("paste");
        QTest::addColumn<bool>("clipboardWithoutFocus");
        QTest::addColumn<QString>("typingLine");
        QTest::addColumn<bool>("keysGranted");
        using Keys = DesktopCapabilities::Keys;
        using Paste = DesktopCapabilities::Paste;
        QTest::newRow("sway") << int(Keys::BindingsOnly) << int(Paste::VirtualKeyboard) << true
                              << u"Pastes through a virtual keyboard."_qs << false;
        QTest::newRow("kwin with portal") << int(Keys::Portal) << int(Paste::FakeInput) << true
                                          << u"Pastes through KWin's fake input."_qs << true;
        QTest::newRow("mutter with portal") << int(Keys::BindingsOnly) << int(Paste::PortalTyping) << false
                                            << u"clipboard is left alone"_qs << false;
        QTest::newRow("no virtual keyboard")
            << int(Keys::BindingsOnly) << int(Paste::CopyOnly) << true << u"paste with Ctrl+V"_qs << false;
        QTest::newRow("no clipboard either")
            << int(Keys::BindingsOnly) << int(Paste::CopyOnly) << false << u"in the background"_qs << false;
    }

    void permissionRowsPerSession()
    {
        QFETCH(int, keys);
        QFETCH(int, paste);
        QFETCH(bool, clipboardWithoutFocus);
        QFETCH(QString, typingLine);
        QFETCH(bool, keysGranted);
        AppHarness app;
        app.trusted = DesktopCapabilities::Paste(paste) != DesktopCapabilities::Paste::CopyOnly;
        DesktopCapabilities desktop{DesktopCapabilities::Keys(keys), DesktopCapabilities::Paste(paste),
                                    clipboardWithoutFocus};
        SettingsModel model(*app.state, DesktopAccess{[&desktop] { return desktop; }, {}});
        model.recheckPermissions();
        PermissionListModel &rows = *model.permissions();
        QCOMPARE(rows.rowCount(), 4);
        QTRY_COMPARE(rows.data(rows.index(2), PermissionListModel::GrantedRole).toBool(), app.trusted);
        QVERIFY(rows.data(rows.index(2), PermissionListModel::HelpRole).toString().contains(typingLine));
        QCOMPARE(rows.data(rows.index(3), PermissionListModel::GrantedRole).toBool(), keysGranted);
        QCOMPARE(rows.data(rows.index(3), PermissionListModel::HelpRole).toString().contains(u"ptt start"_qs),
                 !keysGranted);

        // The desktop refused the shortcuts after the start: the next check says so.
        desktop.keys = DesktopCapabilities::Keys::BindingsOnly;
        QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
        model.recheckPermissions();
        QVERIFY(!changed.isEmpty());
        QVERIFY(!rows.data(rows.index(3), PermissionListModel::GrantedRole).toBool());
    }
};

DICTRAVA_TEST(WindowModelsTest)
#include "WindowModelsTest.moc"
