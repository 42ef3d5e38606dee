#include "meeting/NameDetector.h"
#include "TestRegistry.h"

#include <QTest>

using namespace Qt::StringLiterals;

class NameDetectorTest : public QObject
{
    Q_OBJECT

private slots:
    void detectsName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString none = u"(none)"_s;
        const QString longWord = u"abcdefghijklmnopqrstuvwxyzabcd"_s;
        auto row = [](const char *name, const QString &text, const QString &expected) {
            QTest::newRow(name) << text << expected;
        };
        row("my name's", u"my name's maya"_s, u"Maya"_s);
        row("rest kept as spoken", u"My name is mcDONALD"_s, u"McDONALD"_s);
        row("stop word, nothing later", u"I am just listening"_s, none);
        row("only first match counts", u"I'm late, I'm Sam"_s, none);
        row("this is, stop word", u"this is great"_s, none);
        row("this is … speaking", u"Hello all, this is Sam speaking"_s, u"Sam"_s);
        row("call me", u"Call me Jo."_s, u"Jo"_s);
        row("apostrophes and hyphens", u"hi, i'm anne-marie o'neil"_s, u"Anne-marie"_s);
        row("patterns in order", u"this is Sam, my name is Bob"_s, u"Bob"_s);
        row("here at the end", u"Priya here!"_s, u"Priya"_s);
        row("here not at the end", u"Priya here, and Tom"_s, none);
        row("typographic apostrophe", u"my name’s Maya"_s, none);
        row("long word after my name is", u"my name is "_s + longWord, u"A"_s + longWord.mid(1, 20));
        row("long word after call me", u"call me "_s + longWord, none);
        row("I'm here", u"yes, I'm here"_s, none);
        row("inside another word", u"the enemy name is Bob"_s, none);
        row("empty", u""_s, none);
        row("lone surrogate", u"\xD800 call me Kim"_s, u"Kim"_s);
        row("1 MB before the name", u"word "_s.repeated(200'000) + u"Alex here"_s, u"Alex"_s);
    }

    void detectsName()
    {
        QFETCH(QString, text);
        QTEST(NameDetector::detectName(text).value_or(u"(none)"_s), "expected");
    }
};

DICTRAVA_TEST(NameDetectorTest)
#include "NameDetectorTest.moc"
