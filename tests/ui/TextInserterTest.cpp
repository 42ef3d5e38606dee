// The inserter on a real X clipboard: a private Xvfb, the content owned by other processes
// (xclip, or a second copy of this program holding several types), read back as another
// application would with xclip. Key events go to a fake that notes what the clipboard held.
#include "dictation/TextInserter.h"
#include "platform/KeySynthesizer.h"
#include "ui/ClipboardPasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
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

struct PasteboardLog final : Pasteboard
{
    ClipboardPasteboard clipboard;
    QStringList steps;
    QElapsedTimer sinceWrite;
    qint64 restoredAfterMs = -1;

    void setText(const QString &text) override
    {
        steps << u"write"_s;
        clipboard.setText(text);
        sinceWrite.start();
    }
    PasteboardSnapshot snapshot() override
    {
        steps << u"snapshot"_s;
        return clipboard.snapshot();
    }
    void restore(const PasteboardSnapshot &snapshot) override
    {
        steps << u"restore"_s;
        restoredAfterMs = sinceWrite.elapsed();
        clipboard.restore(snapshot);
    }
    quint64 changeCount() const override { return clipboard.changeCount(); }
};

struct FakeKeys final : KeySynthesizer
{
    explicit FakeKeys(QStringList &steps) : steps(steps) {}
    bool isAvailable() override { return available; }
    void sendPaste() override
    {
        steps << u"paste"_s;
        pasted << QGuiApplication::clipboard()->text();
    }
    QStringList &steps;
    bool available = true;
    QStringList pasted; // what the clipboard held at each paste
};

struct Rig
{
    PasteboardLog board;
    FakeKeys keys{board.steps};
    TextInserter inserter{board, keys};
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
        for (QProcess *owner : std::as_const(m_owners)) {
            ::kill(pid_t(owner->processId()), SIGCONT);
            owner->kill();
            owner->waitForFinished(3000);
        }
        qDeleteAll(m_owners);
        m_owners.clear();
    }

    // `owner` is another copy of this program, or xclip holding `bytes` as that type.
    void restoresEveryType_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("image, html and text from another app") << u"app"_s << QByteArray();
        QTest::newRow("image only") << u"image/png"_s << richContent().first().second;
        QTest::newRow("50 MB of text") << u"UTF8_STRING"_s << QByteArray("0123456789\n").repeated(5'000'000);
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void restoresEveryType()
    {
        QFETCH(QString, owner);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"content"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        if (owner == u"app"_s)
            ownWith(QCoreApplication::applicationFilePath(), {u"--own-clipboard"_s}, "owning");
        else if (!owner.isEmpty())
            QProcess::execute(u"xclip"_s,
                              {u"-selection"_s, u"clipboard"_s, u"-t"_s, owner, u"-i"_s, file.fileName()});
        const QMap<QByteArray, QByteArray> before = content();
        QCOMPARE(before.isEmpty(), owner.isEmpty());

        Rig rig;
        rig.inserter.insertAtCursor(u"Dictated words."_s);
        QCOMPARE(rig.board.steps, QStringList({u"snapshot"_s, u"write"_s, u"paste"_s}));
        QCOMPARE(rig.keys.pasted, QStringList{u"Dictated words."_s});
        QTest::qWait(300);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"Dictated words."_s);
        QTRY_COMPARE_WITH_TIMEOUT(rig.board.steps.size(), 4, 2000);
        QCOMPARE(rig.board.steps.last(), u"restore"_s);
        QVERIFY2(rig.board.restoredAfterMs >= 400, QByteArray::number(rig.board.restoredAfterMs));
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
        QFETCH(QByteArray, finally);
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
                rig.keys.available = false;
        }
        QCOMPARE(rig.keys.pasted.join(u' '), pasted);
        QTest::qWait(600);
        QCOMPARE(read("UTF8_STRING"), finally);
    }

    // An owner that listed its types and then stopped answering costs Qt's clipboard time-out
    // once, not once per type; the paste still happens, and nothing unread is invented.
    void ownerThatStopsAnswering()
    {
        ownWith(QCoreApplication::applicationFilePath(), {u"--own-clipboard"_s}, "owning");
        // Qt keeps the list of types once read (our requests count once the owner's change has reached us)
        QTRY_COMPARE(QGuiApplication::clipboard()->mimeData()->formats().size(), 8);
        ::kill(pid_t(m_owners.last()->processId()), SIGSTOP);
        Rig rig;
        QElapsedTimer timer;
        timer.start();
        rig.inserter.insertAtCursor(u"Dictated words."_s);
        QVERIFY2(timer.elapsed() < 9000, QByteArray::number(timer.elapsed()));
        QCOMPARE(rig.keys.pasted, QStringList{u"Dictated words."_s});
        QTRY_COMPARE(rig.board.steps.size(), 4);
        QVERIFY(content().isEmpty());
    }

private:
    static void copy(const QByteArray &text)
    {
        QProcess xclip;
        xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-i"_s});
        xclip.write(text);
        xclip.closeWriteChannel();
        QVERIFY(xclip.waitForFinished(5000));
        QTest::qWait(50); // let the ownership change reach us, as it would before a restore
    }

    // Starts a process that takes the clipboard and waits until it says it owns it.
    void ownWith(const QString &program, const QStringList &arguments, const QByteArray &owning)
    {
        auto *process = new QProcess;
        m_owners << process;
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(program, arguments);
        process->closeWriteChannel();
        QByteArray said;
        while (!said.contains(owning) && process->waitForReadyRead(10000))
            said += process->readAll();
        QVERIFY2(said.contains(owning), said.constData());
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

    QList<QProcess *> m_owners;
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--own-clipboard") == 0)
        return ownClipboard(argc, argv);

    QProcess xvfb;
    xvfb.start(u"Xvfb"_s,
               {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"640x480x24"_s, u"-nolisten"_s, u"tcp"_s});
    if (!xvfb.waitForReadyRead(10000)) {
        std::cerr << "Xvfb did not start" << std::endl;
        return 1;
    }
    qputenv("DISPLAY", ':' + xvfb.readLine().trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        TextInserterTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return result;
}

#include "TextInserterTest.moc"
