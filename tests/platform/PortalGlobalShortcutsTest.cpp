// Push-to-talk through the desktop's global-shortcuts portal: the real xdg-desktop-portal on a
// private session bus, with a desktop behind it that binds what it is asked and presses and
// releases the shortcuts when the test says so.
#include "platform/PortalGlobalShortcuts.h"
#include "TestRegistry.h"
#include "dictation/HotkeyManager.h"
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

class PortalGlobalShortcutsTest : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    QTemporaryDir m_portals;
    QProcess m_portal;
    TestDesktopShortcuts m_desktop;

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

        QFile description(m_portals.filePath(u"dictravatest.portal"_s));
        QVERIFY(description.open(QIODevice::WriteOnly));
        description.write("[portal]\nDBusName=" + kDesktopName.toUtf8() +
                          "\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts\nUseIn=dictravatest\n");
        description.close();

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
};

DICTRAVA_TEST(PortalGlobalShortcutsTest)
#include "PortalGlobalShortcutsTest.moc"
