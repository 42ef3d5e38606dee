#include "TestRegistry.h"
#include "stores/SnippetStore.h"
#include "support/IsolatedHome.h"

#include <QSignalSpy>
#include <QTest>

class StoresTest : public QObject
{
    Q_OBJECT

private slots:
    void everyChangeIsSavedAndSurvivesARestart()
    {
        IsolatedHome home;
        {
            SnippetStore snippets;
            QSignalSpy changed(&snippets, &SnippetStore::snippetsChanged);
            snippets.add(QStringLiteral("my address"), QStringLiteral("1 Main St\nSpringfield"));
            snippets.add(QStringLiteral("sig"), QStringLiteral("Best, Ana"));
            snippets.remove(snippets.snippets().last().id);
            QCOMPARE(changed.count(), 3);
        } // destruction writes what is still queued
        SnippetStore reloaded;
        QCOMPARE(reloaded.snippets().size(), 1);
        QCOMPARE(reloaded.snippets().first().content, QStringLiteral("1 Main St\nSpringfield"));
    }

    void snippetMatch_data()
    {
        QTest::addColumn<QString>("cue");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<bool>("matches");

        QTest::newRow("punctuation and case") << u"insert my address"_qs << u"Insert my address."_qs << true;
        QTest::newRow("double space in cue") << u"My  address"_qs << u"my address"_qs << false;
        QTest::newRow("cue with bang") << u"My address!"_qs << u"my address"_qs << true;
        QTest::newRow("hyphen deleted, not spaced") << u"e-mail sig"_qs << u"email sig"_qs << true;
        QTest::newRow("line break deleted") << u"my\naddress"_qs << u"myaddress"_qs << true;
        QTest::newRow("tab kept") << u"my\taddress"_qs << u"my\taddress"_qs << true;
        QTest::newRow("full Unicode lower-casing") << u"ÜBER ÉCLAIR"_qs << u"über éclair"_qs << true;
        QTest::newRow("other scripts are letters") << u"привет мир"_qs << u"Привет, мир!"_qs << true;
        QTest::newRow("cue inside longer text") << u"my address"_qs << u"send my address now"_qs << false;
        QTest::newRow("punctuation-only spoken") << u""_qs << u"?!."_qs << false;
        QTest::newRow("cue normalising to nothing") << u"!!!"_qs << u"!!!"_qs << false;
        QTest::newRow("lone surrogate dropped") << u"sig"_qs << u"sig"_qs + QChar(0xD800) << true;
    }

    void snippetMatch()
    {
        QFETCH(QString, cue);
        QFETCH(QString, spoken);
        QFETCH(bool, matches);
        IsolatedHome home;
        SnippetStore snippets;
        snippets.add(cue, QStringLiteral("CONTENT"));
        QCOMPARE(snippets.match(spoken), matches ? std::optional(QStringLiteral("CONTENT")) : std::nullopt);
    }

    void firstOfTwoAlikeCuesWins()
    {
        IsolatedHome home;
        SnippetStore snippets;
        snippets.add(QStringLiteral("Sign off"), QStringLiteral("first"));
        snippets.add(QStringLiteral("sign off!"), QStringLiteral("second"));
        QCOMPARE(snippets.match(QStringLiteral("sign off")), std::optional<QString>(QStringLiteral("first")));
    }
};

DICTRAVA_TEST(StoresTest)
#include "StoresTest.moc"
