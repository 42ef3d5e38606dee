// Any spoken focus: the parser never crashes and always names a North Star with fresh milestone ids.
#include "planning/FocusParser.h"

#include <QSet>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const FocusParser::Result result = FocusParser::parse(text);
    QSet<QUuid> ids;
    for (const FocusMilestone &milestone : result.milestones) {
        if (milestone.id.isNull() || ids.contains(milestone.id))
            std::abort();
        ids.insert(milestone.id);
    }
    return 0;
}
