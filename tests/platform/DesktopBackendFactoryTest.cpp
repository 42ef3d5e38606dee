// Which desktop backend a session gets, and what it can then do.
#include "platform/DesktopBackendFactory.h"
#include "TestRegistry.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Keys = DesktopCapabilities::Keys;
using Paste = DesktopCapabilities::Paste;
using Type = DesktopSession::Type;

class DesktopBackendFactoryTest : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("globals");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("paste");
        QTest::addColumn<bool>("clipboardWithoutFocus");
        QTest::addColumn<bool>("portal");
        QTest::addColumn<int>("keys");

        const QString control = u"zwlr_data_control_manager_v1"_s;
        const QString keyboard = u"zwp_virtual_keyboard_manager_v1"_s;
        const QString fakeInput = u"org_kde_kwin_fake_input"_s;
        const QStringList common{u"wl_compositor"_s, u"wl_seat"_s, u"xdg_wm_base"_s};
        const auto row = [](const char *name, Type type, const QStringList &globals, DesktopBackendKind kind,
                            Paste paste, bool clipboard, bool portal = false) {
            // Only X11 shows the app other applications' keys; elsewhere the desktop's portal, where
            // there is one, or else bindings drive push-to-talk.
            const Keys keys = type == Type::X11 ? Keys::SystemWide
                              : portal          ? Keys::Portal
                                                : Keys::BindingsOnly;
            QTest::newRow(name) << int(type) << globals << int(kind) << int(paste) << clipboard << portal
                                << int(keys);
        };
        row("x11", Type::X11, {}, DesktopBackendKind::X11, Paste::SyntheticKeys, true);
        row("no display", Type::None, {}, DesktopBackendKind::Toolkit, Paste::CopyOnly, false);
        row("sway", Type::Wayland, common + QStringList{control, keyboard}, DesktopBackendKind::Wlroots,
            Paste::VirtualKeyboard, true);
        row("kwin", Type::Wayland, common + QStringList{control, fakeInput}, DesktopBackendKind::KWin,
            Paste::FakeInput, true);
        // KWin without the fake-input grant in the app's .desktop file.
        row("data control only", Type::Wayland, common + QStringList{control}, DesktopBackendKind::Wlroots,
            Paste::CopyOnly, true);
        // Keys without a clipboard that can be written unfocused would paste stale content.
        row("virtual keyboard only", Type::Wayland, common + QStringList{keyboard},
            DesktopBackendKind::Toolkit, Paste::CopyOnly, false);
        row("mutter", Type::Wayland, common, DesktopBackendKind::Toolkit, Paste::CopyOnly, false);
        row("kwin with portal", Type::Wayland, common + QStringList{control, fakeInput},
            DesktopBackendKind::KWin, Paste::FakeInput, true, true);
        // Where nothing else can send keys, the portal types the text.
        row("mutter with portal", Type::Wayland, common, DesktopBackendKind::Toolkit, Paste::PortalTyping,
            false, true);
        row("kwin without fake input, with portal", Type::Wayland, common + QStringList{control},
            DesktopBackendKind::Wlroots, Paste::PortalTyping, true, true);
        row("x11 beside a portal", Type::X11, {}, DesktopBackendKind::X11, Paste::SyntheticKeys, true, true);
    }

    void choice()
    {
        QFETCH(int, type);
        QFETCH(QStringList, globals);
        QFETCH(bool, portal);
        const DesktopBackendChoice choice = chooseDesktopBackend({Type(type), globals, portal});
        QTEST(int(choice.kind), "kind");
        QTEST(int(choice.capabilities.paste), "paste");
        QTEST(choice.capabilities.clipboardWithoutFocus, "clipboardWithoutFocus");
        QTEST(int(choice.capabilities.keys), "keys");
    }
};

DICTRAVA_TEST(DesktopBackendFactoryTest)
#include "DesktopBackendFactoryTest.moc"
