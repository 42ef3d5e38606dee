// The inserter on a real X clipboard: a private Xvfb, the content owned by other processes
// (xclip, or a second copy of this program holding several types), read back as another
// application would with xclip. Key events go to a fake that notes what the clipboard held.
#include "dictation/TextInserter.h"
#include "platform/KeySynthesizer.h"
#include "support/PrivateXServer.h"
#include "ui/ClipboardPasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <iostream>

using namespace Qt::StringLiterals;

namespace {

// What the second process owns: a picture, rich text and plain text.
QList<std::pair<QString, QByteArray>> richContent()
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {{u"image/png"_s, png},
            {u"text/html"_s, "<p>Quarterly <b>figures</b></p>"_ba},
            {u"text/plain"_s, "Quarterly figures"_ba}};
}

int ownClipboard(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    auto content = std::make_unique<QMimeData>();
    for (const auto &[type, data] : richContent())
        content->setData(type, data);
    QGuiApplication::clipboard()->setMimeData(content.release());
    std::cout << "owning" << std::endl;
    return QGuiApplication::exec();
}

// The inserter on the real clipboard, with keys that note what the clipboard held at each paste.
struct Rig final : KeySynthesizer
{
    bool isAvailable() override { return available; }
    void sendPaste() override { pasted << QGuiApplication::clipboard()->text(); }
    bool available = true;
    QStringList pasted;
    ClipboardPasteboard clipboard;
    TextInserter inserter{clipboard, *this};
};

const QByteArrayList bookkeepingTargets{"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"};

} // namespace

class TextInserterTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        QTRY_VERIFY(content().isEmpty());
    }

    void cleanup()
    {
        if (m_owner) {
            ::kill(pid_t(m_owner->processId()), SIGCONT);
            m_owner->kill();
            m_owner->waitForFinished(3000);
        }
        m_owner.reset();
    }

    // `owner` is another copy of this program, or xclip holding `bytes` as that type.
    void restoresEveryType_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("image, html and text from another app") << u"app"_s << QByteArray();
        QTest::newRow("image only") << u"image/png"_s << richContent().first().second;
        QTest::newRow("5 MB of text") << u"UTF8_STRING"_s << QByteArray("0123456789\n").repeated(500'000);
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void restoresEveryType()
    {
        QFETCH(QString, owner);
        QFETCH(QByteArray, bytes);
        if (owner == u"app"_s)
            startOwner();
        else if (!owner.isEmpty())
            copy(bytes, owner);
        const QMap<QByteArray, QByteArray> before = content();
        QCOMPARE(before.isEmpty(), owner.isEmpty());

        Rig rig;
        rig.inserter.insertAtCursor(u"Dictated words."_s);
        QCOMPARE(rig.pasted, QStringList{u"Dictated words."_s});
        // The target application reads the clipboard after the keys: the text stays there 0.4 s.
        QElapsedTimer sincePaste;
        sincePaste.start();
        qint64 restoredAfterMs = -1;
        const QObject scope;
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &scope,
                [&] { restoredAfterMs = restoredAfterMs < 0 ? sincePaste.elapsed() : restoredAfterMs; });
        QTRY_VERIFY_WITH_TIMEOUT(restoredAfterMs >= 0, 2000);
        QVERIFY2(restoredAfterMs >= 390, QByteArray::number(restoredAfterMs));
        // Qt offers plain text under its other X names too; every type that was there is back.
        const QMap<QByteArray, QByteArray> after = content();
        QCOMPARE(after.isEmpty(), before.isEmpty());
        for (auto it = before.begin(); it != before.end(); ++it)
            QCOMPARE(after.value(it.key()), it.value());
    }

    // The user had "original"; each row's steps are insertions ("insert:…"), waits ("wait:ms"),
    // another application copying ("copy:…") and checks of the clipboard ("expect:…").
    void overlappingChanges_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QByteArray>("finally");
        QTest::newRow("second insertion before the restore")
            << QStringList{u"insert:one"_s, u"wait:250"_s, u"insert:two"_s, u"wait:250"_s, u"expect:two"_s}
            << u"one two"_s << "original"_ba;
        QTest::newRow("user copies after our write")
            << QStringList{u"insert:one"_s, u"copy:newer"_s} << u"one"_s << "newer"_ba;
        QTest::newRow("user copies between insertions")
            << QStringList{u"insert:one"_s, u"copy:newer"_s, u"insert:two"_s} << u"one two"_s << "newer"_ba;
        QTest::newRow("untrusted: only copied")
            << QStringList{u"untrusted"_s, u"insert:one"_s} << QString() << "one"_ba;
        QTest::newRow("trust lost while a restore is pending")
            << QStringList{u"insert:one"_s, u"untrusted"_s, u"insert:two"_s} << u"one"_s << "two"_ba;
    }

    void overlappingChanges()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, pasted);
        copy("original");
        Rig rig;
        for (const QString &step : std::as_const(steps)) {
            const QString argument = step.section(u':', 1);
            if (step.startsWith(u"insert:"_s))
                rig.inserter.insertAtCursor(argument);
            else if (step.startsWith(u"wait:"_s))
                QTest::qWait(argument.toInt());
            else if (step.startsWith(u"copy:"_s))
                copy(argument.toUtf8());
            else if (step.startsWith(u"expect:"_s))
                QCOMPARE(QGuiApplication::clipboard()->text(), argument);
            else if (step == u"untrusted"_s)
                rig.available = false;
        }
        QCOMPARE(rig.pasted.join(u' '), pasted);
        QTest::qWait(600);
        QTEST(read("UTF8_STRING"), "finally");
    }

    // An owner that listed its types and then stopped answering costs Qt's clipboard time-out
    // once, not once per type; the paste still happens, and nothing unread is invented.
    void ownerThatStopsAnswering()
    {
        startOwner();
        // Qt keeps the list of types once read (our requests count once the owner's change has reached us)
        QTRY_COMPARE(QGuiApplication::clipboard()->mimeData()->formats().size(), 8);
        ::kill(pid_t(m_owner->processId()), SIGSTOP);
        Rig rig;
        QElapsedTimer timer;
        timer.start();
        rig.inserter.insertAtCursor(u"Dictated words."_s);
        QVERIFY2(timer.elapsed() < 9000, QByteArray::number(timer.elapsed()));
        QCOMPARE(rig.pasted, QStringList{u"Dictated words."_s});
        QTRY_VERIFY(content().isEmpty());
    }

private:
    // Another application copies `bytes`, offered as `type` only when given.
    static void copy(const QByteArray &bytes, const QString &type = {})
    {
        QProcess xclip;
        xclip.start(u"xclip"_s, QStringList{u"-selection"_s, u"clipboard"_s, u"-i"_s} +
                                    (type.isEmpty() ? QStringList() : QStringList{u"-t"_s, type}));
        xclip.write(bytes);
        xclip.closeWriteChannel();
        QVERIFY(xclip.waitForFinished(5000));
        QTest::qWait(50); // let the ownership change reach us, as it would before a restore
    }

    // Starts a second copy of this program that takes the clipboard, and waits until it owns it.
    void startOwner()
    {
        m_owner = std::make_unique<QProcess>();
        m_owner->setProcessChannelMode(QProcess::MergedChannels);
        m_owner->start(QCoreApplication::applicationFilePath(), {u"--own-clipboard"_s});
        QByteArray said;
        while (!said.contains("owning") && m_owner->waitForReadyRead(10000))
            said += m_owner->readAll();
        QVERIFY2(said.contains("owning"), said.constData());
    }

    // Reads the clipboard as another application does. The event loop keeps running meanwhile, as
    // we may be the owner that has to answer.
    static QByteArray read(const QByteArray &target, bool *ok = nullptr)
    {
        QProcess xclip;
        QEventLoop loop;
        connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        xclip.start(u"xclip"_s,
                    {u"-selection"_s, u"clipboard"_s, u"-o"_s, u"-t"_s, QString::fromLatin1(target)});
        if (xclip.state() != QProcess::NotRunning)
            loop.exec();
        if (ok)
            *ok = xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0;
        return xclip.readAllStandardOutput();
    }

    // Every data target with a digest of its bytes.
    static QMap<QByteArray, QByteArray> content()
    {
        bool ok = false;
        const QByteArrayList targets = read("TARGETS", &ok).split('\n');
        QMap<QByteArray, QByteArray> found;
        for (const QByteArray &target : targets) {
            if (ok && !target.isEmpty() && !bookkeepingTargets.contains(target))
                found.insert(target,
                             QCryptographicHash::hash(read(target), QCryptographicHash::Sha1).toHex());
        }
        return found;
    }

    std::unique_ptr<QProcess> m_owner;
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--own-clipboard") == 0)
        return ownClipboard(argc, argv);
    const PrivateXServer x;
    x.useInThisProcess();
    QGuiApplication app(argc, argv);
    TextInserterTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TextInserterTest.moc"
