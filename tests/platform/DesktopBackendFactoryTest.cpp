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

        const QString control = u"zwlr_data_control_manager_v1"_s;
        const QString keyboard = u"zwp_virtual_keyboard_manager_v1"_s;
        const QString fakeInput = u"org_kde_kwin_fake_input"_s;
        const QStringList common{u"wl_compositor"_s, u"wl_seat"_s, u"xdg_wm_base"_s};
        const auto row = [](const char *name, Type type, const QStringList &globals, DesktopBackendKind kind,
                            Paste paste, bool clipboard) {
            QTest::newRow(name) << int(type) << globals << int(kind) << int(paste) << clipboard;
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
    }

    void choice()
    {
        QFETCH(int, type);
        QFETCH(QStringList, globals);
        QFETCH(int, kind);
        QFETCH(int, paste);
        QFETCH(bool, clipboardWithoutFocus);

        const DesktopBackendChoice choice = chooseDesktopBackend({Type(type), globals});
        QCOMPARE(int(choice.kind), kind);
        QCOMPARE(int(choice.capabilities.paste), paste);
        QCOMPARE(choice.capabilities.clipboardWithoutFocus, clipboardWithoutFocus);
        // Only X11 shows the app other applications' keys; elsewhere bindings drive push-to-talk.
        QCOMPARE(choice.capabilities.keys, Type(type) == Type::X11 ? Keys::SystemWide : Keys::BindingsOnly);
    }
};

DICTRAVA_TEST(DesktopBackendFactoryTest)
#include "DesktopBackendFactoryTest.moc"
