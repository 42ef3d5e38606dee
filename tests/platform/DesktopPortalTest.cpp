// Push-to-talk and typing through the desktop portal: the real xdg-desktop-portal on a private
// session bus, with a desktop behind it that binds the shortcuts it is asked for and presses and
// releases them when the test says so, and records the keys it is asked to type.
#include "TestRegistry.h"
#include "dictation/HotkeyManager.h"
#include "dictation/TextInserter.h"
#include "platform/MemoryPasteboard.h"
#include "platform/PortalGlobalShortcuts.h"
#include "platform/PortalRemoteDesktop.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kDesktopName = u"org.freedesktop.impl.portal.desktop.dictravatest"_s;
const QString kRemoteName = u"org.freedesktop.impl.portal.desktop.dictravatest.remote"_s;

} // namespace

// The desktop's side of the portal: binds every shortcut asked for, unless told to refuse.
class TestDesktopShortcuts : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version CONSTANT)

public:
    uint version() const { return 1; }

    uint answer = 0; // what BindShortcuts answers: 0 bound, 1 cancelled by the user
    QString session;
    QStringList boundIds;

public slots:
    uint CreateSession(const QDBusObjectPath &, const QDBusObjectPath &sessionHandle, const QString &,
                       const QVariantMap &, QVariantMap &)
    {
        session = sessionHandle.path();
        return 0;
    }

    uint BindShortcuts(const QDBusObjectPath &, const QDBusObjectPath &,
                       const QList<PortalShortcut> &shortcuts, const QString &, const QVariantMap &,
                       QVariantMap &results)
    {
        boundIds.clear();
        QList<PortalShortcut> bound;
        for (const PortalShortcut &shortcut : shortcuts) {
            boundIds.append(shortcut.id);
            bound.append({shortcut.id,
                          {{u"description"_s, shortcut.properties.value(u"description"_s)},
                           {u"trigger_description"_s, shortcut.properties.value(u"preferred_trigger"_s)}}});
        }
        results.insert(u"shortcuts"_s, QVariant::fromValue(bound));
        return answer;
    }

signals:
    void Activated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                   const QVariantMap &options);
    void Deactivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);
};

// The desktop's side of the remote desktop: lets the keyboard be used, unless told the user said
// no, and records every key it is asked to press or release.
class TestRemoteDesktop : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.RemoteDesktop")
    Q_PROPERTY(uint version READ version CONSTANT)
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes CONSTANT)

public:
    uint version() const { return 1; }
    uint availableDeviceTypes() const { return 7; }

    uint answer = 0; // what Start answers: 0 allowed, 1 the user said no
    QList<QPair<int, uint>> keys;

public slots:
    uint CreateSession(const QDBusObjectPath &, const QDBusObjectPath &, const QString &, const QVariantMap &,
                       QVariantMap &)
    {
        return 0;
    }
    uint SelectDevices(const QDBusObjectPath &, const QDBusObjectPath &, const QString &, const QVariantMap &,
                       QVariantMap &)
    {
        return 0;
    }
    uint Start(const QDBusObjectPath &, const QDBusObjectPath &, const QString &, const QString &,
               const QVariantMap &, QVariantMap &results)
    {
        results.insert(u"devices"_s, 1u);
        return answer;
    }
    void NotifyKeyboardKeysym(const QDBusObjectPath &, const QVariantMap &, int keysym, uint state)
    {
        keys.append({keysym, state});
    }
};

class DesktopPortalTest : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    QTemporaryDir m_portals;
    QProcess m_portal;
    TestDesktopShortcuts m_desktop;
    TestRemoteDesktop m_remote;

    bool describe(const QString &file, const QString &name, const QString &interface)
    {
        QFile description(m_portals.filePath(file));
        if (!description.open(QIODevice::WriteOnly))
            return false;
        description.write("[portal]\nDBusName=" + name.toUtf8() + "\nInterfaces=" + interface.toUtf8() +
                          "\nUseIn=dictravatest\n");
        return true;
    }

    std::unique_ptr<PortalRemoteDesktop> startRemoteDesktop(uint answer)
    {
        m_remote.answer = answer;
        m_remote.keys.clear();
        std::unique_ptr<PortalRemoteDesktop> keys = PortalRemoteDesktop::open(m_bus.connect());
        if (keys) {
            QSignalSpy answered(keys.get(), &PortalRemoteDesktop::startAnswered);
            if (!answered.wait(20000))
                return nullptr;
        }
        return keys;
    }

    void press(const QString &id, bool down, qulonglong timestamp)
    {
        const QDBusObjectPath session(m_desktop.session);
        if (down)
            emit m_desktop.Activated(session, id, timestamp, {});
        else
            emit m_desktop.Deactivated(session, id, timestamp, {});
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        QDBusConnection desktop = m_bus.connect();
        QVERIFY(desktop.registerObject(u"/org/freedesktop/portal/desktop"_s, &m_desktop,
                                       QDBusConnection::ExportAllContents));
        QVERIFY(desktop.registerService(kDesktopName));
        QDBusConnection remote = m_bus.connect();
        QVERIFY(remote.registerObject(u"/org/freedesktop/portal/desktop"_s, &m_remote,
                                      QDBusConnection::ExportAllContents));
        QVERIFY(remote.registerService(kRemoteName));
        QVERIFY(describe(u"dictravatest.portal"_s, kDesktopName,
                         u"org.freedesktop.impl.portal.GlobalShortcuts"_s));
        QVERIFY(describe(u"dictravatest-remote.portal"_s, kRemoteName,
                         u"org.freedesktop.impl.portal.RemoteDesktop"_s));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus.address());
        environment.insert(u"XDG_DESKTOP_PORTAL_DIR"_s, m_portals.path());
        environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"dictravatest"_s);
        m_portal.setProcessEnvironment(environment);
        m_portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_portal.start(u"/usr/libexec/xdg-desktop-portal"_s, {u"--replace"_s});
        QVERIFY2(m_portal.waitForStarted(), qPrintable(m_portal.errorString()));
        QDBusConnection client = m_bus.connect();
        QTRY_VERIFY_WITH_TIMEOUT(
            client.interface()->isServiceRegistered(u"org.freedesktop.portal.Desktop"_s).value(), 20000);
    }

    void cleanupTestCase()
    {
        m_portal.terminate();
        m_portal.waitForFinished();
    }

    void noPortalNoShortcuts()
    {
        PrivateSessionBus empty;
        QVERIFY(empty.isRunning());
        QVERIFY(!PortalGlobalShortcuts::open(empty.connect()));
        QVERIFY(!PortalRemoteDesktop::open(empty.connect()));
    }

    // Holding and releasing the shortcut is holding and releasing Right Alt; the deck shortcut
    // toggles the deck once per press.
    void shortcutsDriveTheHotkeys()
    {
        m_desktop.answer = 0;
        const std::unique_ptr<PortalGlobalShortcuts> shortcuts = PortalGlobalShortcuts::open(m_bus.connect());
        QVERIFY(shortcuts);
        QSignalSpy answered(shortcuts.get(), &PortalGlobalShortcuts::bindingAnswered);
        HotkeyManager hotkeys(shortcuts.get(), nullptr);
        QStringList heard;
        hotkeys.onHoldStart = [&] { heard << u"hold"_s; };
        hotkeys.onHoldEnd = [&] { heard << u"release"_s; };
        hotkeys.onDeckToggle = [&] { heard << u"deck"_s; };
        hotkeys.start();
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 20000);
        QVERIFY(!shortcuts->isRefused());
        QCOMPARE(m_desktop.boundIds,
                 (QStringList{PortalGlobalShortcuts::kPushToTalk, PortalGlobalShortcuts::kCommandDeck}));

        press(PortalGlobalShortcuts::kPushToTalk, true, 100);
        press(PortalGlobalShortcuts::kPushToTalk, false, 900);
        press(PortalGlobalShortcuts::kCommandDeck, true, 1000);
        press(PortalGlobalShortcuts::kCommandDeck, false, 1100);
        QTRY_COMPARE(heard, (QStringList{u"hold"_s, u"release"_s, u"deck"_s}));
    }

    void userRefusesTheBinding()
    {
        m_desktop.answer = 1;
        const std::unique_ptr<PortalGlobalShortcuts> shortcuts = PortalGlobalShortcuts::open(m_bus.connect());
        QVERIFY(shortcuts);
        QSignalSpy answered(shortcuts.get(), &PortalGlobalShortcuts::bindingAnswered);
        shortcuts->install([](const KeyEvent &) { return false; });
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 20000);
        QCOMPARE(answered.first().first().toBool(), false);
        QVERIFY(shortcuts->isRefused());
    }

    // Where the desktop lets the keyboard be used, dictated text is typed key by key, whatever
    // the layout holds, and the user's clipboard is not touched.
    void typesTextThroughTheRemoteDesktop()
    {
        const std::unique_ptr<PortalRemoteDesktop> keys = startRemoteDesktop(0);
        QVERIFY(keys && keys->isAvailable());
        MemoryPasteboard clipboard;
        clipboard.setText(u"earlier"_s);
        TextInserter inserter(clipboard, *keys);
        inserter.insertAtCursor(u"Hi é€\n"_s);
        const QList<int> typed{'H', 'i', ' ', 0xe9, 0x20ac, 0xff0d};
        QTRY_COMPARE(m_remote.keys.size(), typed.size() * 2);
        for (qsizetype i = 0; i < typed.size(); ++i) {
            QCOMPARE(m_remote.keys.at(2 * i), (QPair<int, uint>(typed.at(i), 1)));
            QCOMPARE(m_remote.keys.at(2 * i + 1), (QPair<int, uint>(typed.at(i), 0)));
        }
        QCOMPARE(clipboard.text(), u"earlier"_s);
        QCOMPARE(clipboard.changeCount(), 1u);
    }

    // A user who says no gets the text on the clipboard, and no key is sent.
    void userRefusesTheKeyboard()
    {
        const std::unique_ptr<PortalRemoteDesktop> keys = startRemoteDesktop(1);
        QVERIFY(keys && !keys->isAvailable());
        MemoryPasteboard clipboard;
        TextInserter inserter(clipboard, *keys);
        inserter.insertAtCursor(u"hello"_s);
        QCOMPARE(clipboard.text(), u"hello"_s);
        QTest::qWait(100);
        QVERIFY(m_remote.keys.isEmpty());
    }
};

DICTRAVA_TEST(DesktopPortalTest)
#include "DesktopPortalTest.moc"
