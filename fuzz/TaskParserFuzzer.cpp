// Any transcript, at a fixed moment: the parser never crashes, and every task keeps the whole
// transcript and a due time.
#include "core/Clock.h"
#include "planning/TaskParser.h"

#include <QTimeZone>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const ManualClock clock(QDateTime(QDate(2026, 3, 29), QTime(1, 30), QTimeZone("Europe/Berlin")));
    const QString transcript = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<DictraTask> tasks = TaskParser().parse(transcript, 1.0, clock);
    for (const DictraTask &task : tasks) {
        if (task.sourceTranscript != transcript || !task.dueAt)
            std::abort();
    }
    return 0;
}
