// Time to clean and task-parse a 300-word spoken plan, per transcript. Goal: at most 2 ms.
#include "core/Clock.h"
#include "dictation/TextCleaner.h"
#include "planning/TaskParser.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString transcript()
{
    const QStringList sentences = {
        u"um so tomorrow I need to call Sarah at 3 and then email the report to Tom"_qs,
        u"uh also remind me to buy milk tonight, you know, before the shop closes"_qs,
        u"after that I have to review the budget with Maya and Sam at 10am"_qs,
        u"next I must send the deck to the board. plus book the dentist the day after tomorrow"_qs,
        u"I also need to finish the slides for the offsite, like, by Friday at 4"_qs,
    };
    QStringList words;
    for (int i = 0; words.size() < 300; ++i)
        words += sentences[i % sentences.size()].split(u' ');
    return words.first(300).join(u' ');
}

} // namespace

int main()
{
    const QString raw = transcript();
    const ManualClock clock(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    const TaskParser parser;
    const QList<DictionaryEntry> dictionary = {{QUuid::createUuid(), u"open ai"_qs, u"OpenAI"_qs},
                                               {QUuid::createUuid(), u"maya"_qs, u"Maya"_qs}};
    constexpr int kRounds = 2000;
    std::vector<double> micros;
    micros.reserve(kRounds);
    qsizetype tasks = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QString text = TextCleaner::coalesce(raw);
        text = TextCleaner::stripFillers(text);
        text = TextCleaner::applyDictionary(text, dictionary);
        text = TextCleaner::capitalize(text);
        tasks = parser.parse(text, 3.5, clock).size();
        micros.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(micros.begin(), micros.end());
    std::printf(
        "clean + parse, 300 words -> %lld tasks: p50 %.0f us, p95 %.0f us, max %.0f us (goal <= 2000 us)\n",
        static_cast<long long>(tasks), micros[kRounds / 2], micros[kRounds * 95 / 100], micros.back());
    return 0;
}
