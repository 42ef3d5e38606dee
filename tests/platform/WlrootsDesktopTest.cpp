// Pasting on a real wlroots compositor: a private headless sway, a GTK text field of another
// process with the focus, the user's clipboard owned by a third process. The text goes in through
// the clipboard and the paste keys, and the user's clipboard comes back as it was.
#include "dictation/TextInserter.h"
#include "platform/WaylandConnection.h"
#include "platform/WlrDataControlPasteboard.h"
#include "platform/WlrootsDesktopBackend.h"
#include "support/PrivateWaylandCompositor.h"
#include "support/WaylandTextField.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// What the user copied before dictating, in two types; the picture's bytes include zeros.
const PasteboardSnapshot usersContent{
    {u"text/plain;charset=utf-8"_s, "what the user copied"},
    {u"image/png"_s, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR picture", 25)},
};

// Run as a separate client: owns the clipboard with the user's content until it is ended.
int ownClipboard()
{
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::open();
    const std::unique_ptr<WlrDataControlPasteboard> clipboard =
        connection ? WlrDataControlPasteboard::create(*connection) : nullptr;
    if (!clipboard)
        return 1;
    clipboard->restore(usersContent);
    std::puts("owning");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

class WlrootsDesktopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!m_sway.isRunning())
            QSKIP(qPrintable(m_sway.errorString()));
        auto connection = WaylandConnection::open(m_sway.socket());
        QVERIFY(connection);
        m_backend = std::make_unique<WlrootsDesktopBackend>(std::move(connection));
        QCOMPARE(m_backend->capabilities(),
                 (DesktopCapabilities{DesktopCapabilities::Keys::BindingsOnly,
                                      DesktopCapabilities::Paste::VirtualKeyboard, true}));
        QVERIFY(m_backend->keySynthesizer().isAvailable());

        // sway focuses a new window; it shows as active once the seat has our keyboard.
        m_field = std::make_unique<WaylandTextField>(m_sway.environment());
        QTRY_VERIFY_WITH_TIMEOUT(m_field->wasFocused(), 15000);
    }

    // Two insertions in quick succession: the second snapshot is taken while our first text is on
    // the clipboard, and the user's content from before the first must still be what comes back.
    void pastesAndGivesTheClipboardBack()
    {
        const QStringList texts{u"first part"_s, u" and the rest"_s};
        QProcess owner;
        startOwner(owner);
        QVERIFY(m_field->clear());

        TextInserter inserter(*m_backend->pasteboard(), m_backend->keySynthesizer());
        for (const QString &text : texts) {
            inserter.insertAtCursor(text);
            QTRY_VERIFY_WITH_TIMEOUT(m_field->text().endsWith(text), 5000);
        }
        QCOMPARE(m_field->text(), texts.join(QString()));

        // Once the restore is due, another client reads exactly the user's types and bytes.
        QTRY_COMPARE_WITH_TIMEOUT(pasted(u"text/plain;charset=utf-8"_s), usersContent[0].data, 5000);
        QCOMPARE(pastedTypes(), (QStringList{usersContent[0].type, usersContent[1].type}));
        QCOMPARE(pasted(u"image/png"_s), usersContent[1].data);

        // The restored content is ours to serve now: it outlives the client that first held it.
        owner.kill();
        owner.waitForFinished(3000);
        QCOMPARE(pasted(u"image/png"_s), usersContent[1].data);
    }

    // The user copies something while our text is still on the clipboard: theirs is newer and stays.
    void aCopyDuringTheRestoreDelayIsKept()
    {
        QProcess owner;
        startOwner(owner);
        QVERIFY(m_field->clear());
        // A delay long enough that the copy surely comes before the restore, however busy the machine.
        const std::chrono::milliseconds delay(3000);
        TextInserter inserter(*m_backend->pasteboard(), m_backend->keySynthesizer(), delay);
        inserter.insertAtCursor(u"dictated"_s);
        QTRY_COMPARE_WITH_TIMEOUT(m_field->text(), u"dictated"_s, 5000);
        QCOMPARE(m_sway.run(u"wl-copy"_s, {u"copied meanwhile"_s}), 0);
        QTest::qWait(int(delay.count()) + 500);
        QCOMPARE(pasted(u"text/plain"_s), QByteArray("copied meanwhile"));
        owner.kill();
        owner.waitForFinished(3000);
    }

private:
    void startOwner(QProcess &owner)
    {
        QProcessEnvironment environment = m_sway.environment();
        owner.setProcessEnvironment(environment);
        owner.start(QCoreApplication::applicationFilePath(), {u"--own-clipboard"_s});
        QVERIFY(owner.waitForReadyRead(10000));
        QCOMPARE(owner.readAllStandardOutput().trimmed(), QByteArray("owning"));
    }

    QByteArray pasted(const QString &type) const
    {
        QByteArray output;
        return m_sway.run(u"wl-paste"_s, {u"--no-newline"_s, u"--type"_s, type}, &output) == 0 ? output
                                                                                               : QByteArray();
    }

    QStringList pastedTypes() const
    {
        QByteArray output;
        m_sway.run(u"wl-paste"_s, {u"--list-types"_s}, &output);
        return QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
    }

    PrivateWaylandCompositor m_sway;
    std::unique_ptr<WlrootsDesktopBackend> m_backend;
    std::unique_ptr<WaylandTextField> m_field;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--own-clipboard") == 0)
        return ownClipboard();
    WlrootsDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WlrootsDesktopTest.moc"
