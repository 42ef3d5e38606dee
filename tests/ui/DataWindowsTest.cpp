// The tasks, history and settings windows as made by the shell: their views load, show the
// user's data, stay single, and answer the keyboard.
#include "ui/DataWindows.h"
#include "TestRegistry.h"
#include "planning/TaskStore.h"
#include "stores/DictionaryStore.h"
#include "stores/HistoryStore.h"
#include "support/AppHarness.h"
#include "ui/ShellWindows.h"
#include "ui/SymbolImageProvider.h"

#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

namespace {

bool isShown(const QQuickItem *item)
{
    return item->isVisible() && item->opacity() > 0;
}

// The visible items of the tree whose "text" is `text`.
QList<QQuickItem *> itemsShowing(QQuickItem *root, const QString &text)
{
    QList<QQuickItem *> found;
    if (!root || !isShown(root))
        return found;
    if (root->property("text").toString() == text)
        found << root;
    for (QQuickItem *child : root->childItems())
        found << itemsShowing(child, text);
    return found;
}

// The button labelled `text`; null when there is none.
QQuickItem *button(QQuickItem *root, const QString &text)
{
    for (QQuickItem *item : itemsShowing(root, text)) {
        if (item->inherits("QQuickAbstractButton"))
            return item;
    }
    return nullptr;
}

} // namespace

class DataWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_app = std::make_unique<AppHarness>(QVariantMap{}, true);
        m_app->state->process(u"call Sarah tomorrow at 3"_qs, VoiceMode::Capture);
        m_app->state->process(u"the quarterly numbers look good"_qs, VoiceMode::Dictate);
        m_engine = std::make_unique<QQmlEngine>();
        m_engine->addImportPath(u"qrc:/"_qs);
        SymbolImageProvider::installOn(*m_engine);
        m_shell = std::make_unique<ShellWindows>();
        m_windows = std::make_unique<DataWindows>(*m_app->state, *m_app, *m_engine);
        m_windows->registerWith(*m_shell);
    }

    void cleanup()
    {
        m_shell.reset();
        m_windows.reset();
        m_engine.reset();
        m_app.reset();
    }

    // Titles and sizes are checked on a real X server by the end-to-end test.
    void opensOnceWithTheUsersData_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("shows");
        QTest::newRow("tasks") << u"tasks"_qs << u"Call Sarah at 3"_qs;
        QTest::newRow("history") << u"history"_qs << u"The quarterly numbers look good."_qs;
        QTest::newRow("settings") << u"settings"_qs << u"Hold Right Alt"_qs;
    }

    void opensOnceWithTheUsersData()
    {
        QFETCH(QString, id);
        QFETCH(QString, shows);

        QVERIFY(m_shell->open(id));
        auto *view = qobject_cast<QQuickView *>(m_shell->window(id));
        QVERIFY(view);
        QVERIFY2(view->errors().isEmpty(), qPrintable(view->errors().value(0).toString()));
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTRY_VERIFY(!itemsShowing(view->rootObject(), shows).isEmpty());

        // Again: the same window, brought forward. Closed and opened: nothing lost.
        QVERIFY(m_shell->open(id));
        QCOMPARE(m_shell->window(id), view);
        QTest::keyClick(view, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(!view->isVisible());
        QVERIFY(m_shell->open(id));
        QCOMPARE(m_shell->window(id), view);
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QVERIFY(!itemsShowing(view->rootObject(), shows).isEmpty());
    }

    // The lists follow their stores while open: emptied, they show their empty state.
    void emptyStates()
    {
        QVERIFY(m_shell->open(u"tasks"_qs));
        QVERIFY(m_shell->open(u"history"_qs));
        auto *tasks = qobject_cast<QQuickView *>(m_shell->window(u"tasks"_qs));
        auto *history = qobject_cast<QQuickView *>(m_shell->window(u"history"_qs));
        QVERIFY(itemsShowing(tasks->rootObject(), u"No tasks yet"_qs).isEmpty());
        m_app->state->taskStore().setTasks({});
        m_app->state->historyStore().clear();
        QTRY_VERIFY(!itemsShowing(tasks->rootObject(), u"No tasks yet"_qs).isEmpty());
        QTRY_VERIFY(!itemsShowing(history->rootObject(), u"Nothing here yet"_qs).isEmpty());
        QCOMPARE(itemsShowing(tasks->rootObject(), u"0 open · 0 done"_qs).size(), 1);
        const QQuickItem *clearAll = button(history->rootObject(), u"Clear all"_qs);
        QVERIFY(clearAll && !clearAll->isEnabled());
    }

    // Delete removes the selected task.
    void deleteKeyRemovesTheSelectedTask()
    {
        m_app->state->process(u"water the plants"_qs, VoiceMode::Capture);
        QCOMPARE(m_app->state->taskStore().tasks().size(), 2);
        QVERIFY(m_shell->open(u"tasks"_qs));
        QQuickWindow *window = qobject_cast<QQuickWindow *>(m_shell->window(u"tasks"_qs));
        QVERIFY(QTest::qWaitForWindowActive(window));
        // The row the keyboard selects is the task that goes, found by its id in the store.
        QTest::keyClick(window, Qt::Key_Down);
        QQuickItem *list = nullptr;
        for (QQuickItem *item : window->contentItem()->findChildren<QQuickItem *>()) {
            if (item->inherits("QQuickListView") && item->isVisible())
                list = item;
        }
        QVERIFY(list);
        const int row = list->property("currentIndex").toInt();
        auto *model = qobject_cast<QAbstractItemModel *>(list->property("model").value<QObject *>());
        QVERIFY(model && row >= 0);
        const QString selected =
            model->data(model->index(row, 0), model->roleNames().key("title")).toString();
        QTest::keyClick(window, Qt::Key_Delete);
        QTRY_COMPARE(m_app->state->taskStore().tasks().size(), 1);
        QVERIFY(m_app->state->taskStore().tasks().first().title != selected);
    }

    // In the Dictionary tab, Enter in a field adds the entry and empties both fields.
    void enterAddsADictionaryEntry()
    {
        QVERIFY(m_shell->open(u"settings"_qs));
        auto *view = qobject_cast<QQuickView *>(m_shell->window(u"settings"_qs));
        QVERIFY(QTest::qWaitForWindowActive(view));
        const QQuickItem *tab = button(view->rootObject(), u"Dictionary"_qs);
        QVERIFY(tab);
        QTest::mouseClick(view, Qt::LeftButton, {}, tab->mapToScene(QPointF(tab->width() / 2, 10)).toPoint());
        QTRY_VERIFY(
            !itemsShowing(view->rootObject(), u"Teach Dictrava how to write your names and jargon."_qs)
                 .isEmpty());
        for (const char c : QByteArray("my sequel"))
            QTest::keyClick(view, c);
        QTest::keyClick(view, Qt::Key_Tab);
        for (const char c : QByteArray("MySQL"))
            QTest::keyClick(view, c);
        QTest::keyClick(view, Qt::Key_Return);
        const QList<DictionaryEntry> &entries = m_app->state->dictionaryStore().entries();
        QTRY_COMPARE(entries.size(), 1);
        QCOMPARE(entries.first().spoken, u"my sequel"_qs);
        QCOMPARE(entries.first().written, u"MySQL"_qs);
        QTRY_VERIFY(!itemsShowing(view->rootObject(), u"MySQL"_qs).isEmpty()); // listed, fields empty again
        QCOMPARE(itemsShowing(view->rootObject(), u"my sequel"_qs).size(), 1);
    }

private:
    std::unique_ptr<AppHarness> m_app;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<ShellWindows> m_shell;
    std::unique_ptr<DataWindows> m_windows;
};

DICTRAVA_TEST(DataWindowsTest)
#include "DataWindowsTest.moc"
