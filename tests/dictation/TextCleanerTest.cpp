#include "dictation/TextCleaner.h"
#include "TestRegistry.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "spoken=written|spoken=written…"
QList<DictionaryEntry> dictionary(const QString &pairs)
{
    QList<DictionaryEntry> entries;
    for (const QString &pair : pairs.split(u'|'))
        entries.append({QUuid::createUuid(), pair.section(u'=', 0, 0), pair.section(u'=', 1)});
    return entries;
}

// One named step, or all of them in the order a dictation runs them.
QString run(const QString &step, const QString &text)
{
    const QList<DictionaryEntry> entries = dictionary(u"open ai=OpenAI"_s);
    if (step == u"coalesce")
        return TextCleaner::coalesce(text);
    if (step == u"fillers")
        return TextCleaner::stripFillers(text);
    if (step == u"dictionary")
        return TextCleaner::applyDictionary(text, entries);
    if (step == u"capitalize")
        return TextCleaner::capitalize(text);
    if (step == u"punctuate")
        return TextCleaner::punctuate(text);
    using TC = TextCleaner;
    return TC::punctuate(TC::capitalize(TC::applyDictionary(TC::stripFillers(TC::coalesce(text)), entries)));
}

void row(const char *name, const char *step, const QString &input, const QString &expected)
{
    QTest::newRow(name) << QString::fromLatin1(step) << input << expected;
}

void addColumns(const char *first)
{
    QTest::addColumn<QString>(first);
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
}

} // namespace

class TextCleanerTest : public QObject
{
    Q_OBJECT

private slots:
    void cleans_data()
    {
        addColumns("step");
        row("pause", "coalesce", u"  hello   there .  how are you"_s, u"hello there how are you"_s);
        row("kept marks", "coalesce", u"Done. Next 2. 5 left? no"_s, u"Done. Next 2. 5 left no"_s);
        row("line breaks", "coalesce", u"one\n\ntwo\nthree !"_s, u"one two\nthree!"_s);
        row("commas", "fillers", u"Um, I think, like, we should go"_s, u"I think, we should go"_s);
        row("inside words", "fillers", u"umbrella hummus um. I like"_s, u"umbrella hummus um. I like"_s);
        row("you know without comma", "fillers", u"you know what"_s, u"what"_s);
        row("same filler twice", "fillers", u"um um yes"_s, u"um yes"_s);
        row("any case, any space", "fillers", u"UH,\tBasically, I MEAN, ok"_s, u"ok"_s);
        row("sentence starts", "capitalize", u"hello. world! yes? no"_s, u"Hello. World! Yes? No"_s);
        row("only ASCII after a mark", "capitalize", u"éclair. über"_s, u"Éclair. über"_s);
        row("first letter grows", "capitalize", u"ßo.\n\nok a.b"_s, u"SSo.\n\nOk a.b"_s);
        row("full stop added", "punctuate", u" Hello \n"_s, u"Hello."_s);
        row("comma kept", "punctuate", u"Hello,"_s, u"Hello,"_s);
        row("accented stop is no mark", "punctuate", u"Hi.\u0301"_s, u"Hi.\u0301."_s);
        row("whole dictation", "all", u"um so. i use open AI , daily"_s, u"So i use OpenAI, daily."_s);
        // Input no dictation should bring: nothing, huge, or broken text.
        const qsizetype mb = 1 << 20;
        auto fill = [mb](const QString &unit) { return unit.repeated(mb / unit.size()); };
        const QString sentences = fill(u"hello. world "_s);
        const QString cleanedSentences = u"Hello world"_s + u" hello world"_s.repeated(mb / 13 - 1) + u'.';
        row("empty", "all", u""_s, u""_s);
        row("1 MB of white space", "all", fill(u" \t\r\n\u00a0"_s), u""_s);
        row("1 MB of fillers", "fillers", fill(u"um uh erm hmm ok "_s), u"ok "_s.repeated(mb / 17).trimmed());
        row("1 MB of sentences", "all", sentences, cleanedSentences);
        row("1 MB of phrases", "dictionary", fill(u"open ai "_s), u"OpenAI "_s.repeated(mb / 8));
        row("1 MB word", "all", u"x"_s.repeated(mb), u"X"_s + u"x"_s.repeated(mb - 1) + u'.');
        row("lone high surrogate", "all", u"um \xD800 hello. world"_s, u"\xD800 hello world."_s);
        row("reversed pair at end", "all", u"ok \xDC00\xD800 um"_s, u"Ok \xDC00\xD800."_s);
        row("NUL and escapes", "all", u"um\0 yes\x1b[0m\a"_s, u"Um\0 yes\x1b[0m\a."_s);
        row("CR LF and separators", "all", u"one\r\n\r\ntwo\u2028\u2029three"_s, u"One two three."_s);
    }

    void cleans()
    {
        QFETCH(QString, step);
        QFETCH(QString, input);
        QTEST(run(step, input), "expected");
    }

    void appliesDictionary_data()
    {
        addColumns("entries");
        row("phrase in any case", "open ai=OpenAI", u"I use open AI daily"_s, u"I use OpenAI daily"_s);
        row("whole words only", "ai=AI", u"she said ai, Ai"_s, u"she said AI, AI"_s);
        row("empty spoken", "=x", u"a b"_s, u"a b"_s);
        row("spoken is literal", "node.js=Node.js", u"nodexjs node.js"_s, u"nodexjs Node.js"_s);
        row("later entry sees earlier", "gpt=chat gpt|chat gpt=ChatGPT", u"ask gpt"_s, u"ask ChatGPT"_s);
        row("replaced text not rescanned", "ha=ha ha", u"ha!"_s, u"ha ha!"_s);
        row("template", "wow=*$0*|bucks=\\$", u"Wow, 5 bucks"_s, u"*Wow*, 5 $"_s);
        row("missing group is literal", "five dollars=$5|y=Y", u"five dollars, y"_s, u"$5, Y"_s);
        row("bare dollar is literal", "us dollars=US$", u"in us dollars"_s, u"in US$"_s);
        row("trailing backslash is literal", "c drive=C:\\", u"open c drive"_s, u"open C:\\"_s);
    }

    void appliesDictionary()
    {
        QFETCH(QString, entries);
        QFETCH(QString, input);
        QTEST(TextCleaner::applyDictionary(input, dictionary(entries)), "expected");
    }
};

DICTRAVA_TEST(TextCleanerTest)
#include "TextCleanerTest.moc"
