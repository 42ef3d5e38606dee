#include "planning/DictraTask.h"
#include "TestRegistry.h"
#include "core/Json.h"

#include <QJsonDocument>
#include <QTest>

// Declarations only: moc misreads raw string literals, so the stored JSON stays out of the class body.
class DictraTaskTest : public QObject
{
    Q_OBJECT

private slots:
    void storedForm_data();
    void storedForm();
    void rejectsBadRecords_data();
    void rejectsBadRecords();
};

namespace {

std::optional<DictraTask> decode(const QByteArray &bytes)
{
    return DictraTask::fromJson(QJsonDocument::fromJson("[" + bytes + "]").array().at(0));
}

const QByteArray kStored =
    R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","title":"Email the report to Tom",)"
    R"("notes":"","people":["Tom"],"dueAt":786700000.5,"isDone":false,"createdAt":786600000,)"
    R"("sourceTranscript":"Then email the report to Tom."})";

} // namespace

void DictraTaskTest::storedForm_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("written"); // empty: the stored bytes, unchanged
    QTest::newRow("due, no reminder") << kStored << QByteArray();
    QTest::newRow("both dates, escapes, done")
        << QByteArray(
               R"({"id":"00000000-0000-0000-0000-00000000000A","title":"Ring Zoë 1\/2 été",)"
               R"("notes":"line\nbreak","people":["Zoë","O'brien"],"dueAt":-0.001,"remindAt":786690000.25,)"
               R"("isDone":true,"createdAt":786600000.123456,"sourceTranscript":""})")
        << QByteArray();
    QTest::newRow("no dates, nobody")
        << QByteArray(R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","title":"Buy milk","notes":"",)"
                      R"("people":[],"isDone":false,"createdAt":0,"sourceTranscript":"Buy milk"})")
        << QByteArray();
    QTest::newRow("lower-case id, any order, nulls, unknown keys")
        << QByteArray(
               R"({"sourceTranscript":"Then email the report to Tom.","createdAt":786600000,"isDone":false,)"
               R"("remindAt":null,"dueAt":786700000.5,"people":["Tom"],"notes":"","extra":1,)"
               R"("title":"Email the report to Tom","id":"6f9619ff-8b86-d011-b42d-00c04fc964ff"})")
        << kStored;
}

void DictraTaskTest::storedForm()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, written);
    const std::optional<DictraTask> task = decode(stored);
    QVERIFY(task);
    QCOMPARE(task->toJson(), written.isEmpty() ? stored : written);
}

void DictraTaskTest::rejectsBadRecords_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    for (const char *key : {"id", "title", "notes", "people", "isDone", "createdAt", "sourceTranscript"})
        QTest::addRow("missing %s", key) << QByteArray('"' + QByteArray(key) + "\":") << QByteArray("\"x\":");
    QTest::newRow("null title") << QByteArray(R"("Email the report to Tom")") << QByteArray("null");
    QTest::newRow("id not a UUID") << QByteArray("6F9619FF-8B86-D011-B42D-00C04FC964FF")
                                   << QByteArray("task-1");
    QTest::newRow("person not text") << QByteArray(R"(["Tom"])") << QByteArray(R"(["Tom",7])");
    QTest::newRow("date as text") << QByteArray("786700000.5") << QByteArray(R"("2025-12-06T10:00:00Z")");
}

void DictraTaskTest::rejectsBadRecords()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QByteArray damaged = kStored;
    QVERIFY(damaged.contains(from));
    QVERIFY(!decode(damaged.replace(from, to)));
    // A file keeps its good records and counts the bad one.
    const Json::DecodedRecords<DictraTask> file =
        Json::decodeEach<DictraTask>("[" + kStored + "," + damaged + "]");
    QCOMPARE(file.records.size(), 1);
    QCOMPARE(file.skipped, 1);
}

DICTRAVA_TEST(DictraTaskTest)
#include "DictraTaskTest.moc"
