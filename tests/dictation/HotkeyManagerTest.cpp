#include "dictation/HotkeyManager.h"
#include "TestRegistry.h"

#include <QHash>
#include <QTest>

namespace {

class ScriptedMonitor final : public KeyboardMonitor
{
public:
    bool install(Handler handler) override
    {
        this->handler = std::move(handler);
        return true;
    }
    void remove() override { handler = nullptr; }
    bool send(const KeyEvent &event) { return handler && handler(event); }

    Handler handler;
};

using Kind = KeyEvent::Kind;
using Key = KeyEvent::Key;
using Mod = KeyEvent::Modifier;

// "A" = Right Alt down, "a" = Right Alt up, "L"/"l" = left Alt down/up, "S"/"s" = Shift
// down/up while Right Alt is held, "^" = Ctrl+Space, "^+" = Ctrl+Shift+Space,
// "^!" = Ctrl+Alt+Space, "^#" = Ctrl+Super+Space, "_" = a lone space. A "*" prefix sends
// the event to the app's own window instead of the system-wide monitor; an "@N" suffix gives
// the event the X server time N. "restart" and "stop" restart and stop the manager.
KeyEvent eventFor(const QString &code)
{
    static const QHash<QString, std::pair<Key, KeyEvent::Modifiers>> changes{
        {u"A"_qs, {Key::RightAlt, Mod::Alt}},
        {u"a"_qs, {Key::RightAlt, {}}},
        {u"L"_qs, {Key::Other, Mod::Alt}},
        {u"l"_qs, {Key::Other, {}}},
        {u"S"_qs, {Key::Other, Mod::Alt | Mod::Shift}},
        {u"s"_qs, {Key::Other, Mod::Alt}}};
    static const QHash<QString, KeyEvent::Modifiers> chords{{u"^"_qs, Mod::Control},
                                                            {u"^+"_qs, Mod::Control | Mod::Shift},
                                                            {u"^!"_qs, Mod::Control | Mod::Alt},
                                                            {u"^#"_qs, Mod::Control | Mod::Super}};
    const QString name = code.section(u'@', 0, 0);
    KeyEvent event{Kind::KeyDown, Key::Space, chords.value(name)};
    if (changes.contains(name))
        event = {Kind::ModifiersChanged, changes[name].first, changes[name].second};
    event.timestamp = code.section(u'@', 1).toULongLong(); // 0 (unknown) without one
    return event;
}

} // namespace

class HotkeyManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("calls"); // start, end, deck; "!" marks a consumed event
        QTest::newRow("hold and release") << u"A a"_qs << u"start end"_qs;
        QTest::newRow("left Alt never counts") << u"L l"_qs << QString();
        QTest::newRow("Shift while held") << u"A S s a"_qs << u"start end"_qs;
        QTest::newRow("auto-repeat while held") << u"A A A a"_qs << u"start end"_qs;
        QTest::newRow("release without press") << u"a"_qs << QString();
        QTest::newRow("focus moved: both monitors see it") << u"A *A *a a"_qs << u"start end"_qs;
        QTest::newRow("deck, system-wide, not consumed") << u"^"_qs << u"deck"_qs;
        QTest::newRow("deck in our window is consumed") << u"*^ *_"_qs << u"deck!"_qs;
        QTest::newRow("Shift does not matter") << u"^+"_qs << u"deck"_qs;
        QTest::newRow("Alt or Super with Ctrl+Space") << u"^! ^# *^!"_qs << QString();
        // One press in our own window also reaches the system-wide monitor, in either order.
        QTest::newRow("one press, both monitors") << u"^@7 *^@7"_qs << u"deck!"_qs;
        QTest::newRow("one press, ours first") << u"*^@7 ^@7"_qs << u"deck!"_qs;
        QTest::newRow("two presses") << u"^@7 *^@8 ^@9"_qs << u"deck deck! deck"_qs;
        QTest::newRow("unknown times never merge") << u"^ *^"_qs << u"deck deck!"_qs;
        QTest::newRow("restarted: one call per key, the hold kept") << u"A restart a"_qs << u"start end"_qs;
        QTest::newRow("stopped: nothing reaches it") << u"A stop a ^ *^"_qs << u"start"_qs;
    }

    void rules()
    {
        QFETCH(QString, events);
        ScriptedMonitor global;
        ScriptedMonitor local;
        HotkeyManager hotkeys(&global, &local);
        QStringList seen;
        hotkeys.onHoldStart = [&] { seen << u"start"_qs; };
        hotkeys.onHoldEnd = [&] { seen << u"end"_qs; };
        hotkeys.onDeckToggle = [&] { seen << u"deck"_qs; };
        hotkeys.start();
        for (const QString &code : events.split(u' ')) {
            if (code == u"restart"_qs || code == u"stop"_qs) {
                code == u"stop"_qs ? hotkeys.stop() : hotkeys.start();
                continue;
            }
            const bool inOurWindow = code.startsWith(u'*');
            ScriptedMonitor &monitor = inOurWindow ? local : global;
            if (monitor.send(eventFor(inOurWindow ? code.mid(1) : code)))
                seen.last() += u'!';
        }
        QTEST(seen.join(u' '), "calls");
    }
};

DICTRAVA_TEST(HotkeyManagerTest)
#include "HotkeyManagerTest.moc"
