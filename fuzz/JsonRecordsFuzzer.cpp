// Any bytes as the stored file of every record type: reading never crashes, and whatever is read
// is written in a form that reads back to the very same bytes.
#include "app/PendingNotification.h"
#include "core/Json.h"
#include "planning/DayBriefing.h"
#include "planning/DictraTask.h"
#include "planning/FocusSession.h"
#include "stores/DictionaryEntry.h"
#include "stores/HistoryEntry.h"
#include "stores/Snippet.h"

#include <cstdlib>

namespace {

template<typename Record>
void readWriteRead(const QByteArray &bytes)
{
    const Json::DecodedRecords<Record> read = Json::decodeEach<Record>(bytes);
    if (!read.isArray)
        return;
    const QByteArray written = Json::encodeList(read.records);
    const Json::DecodedRecords<Record> reread = Json::decodeEach<Record>(written);
    // The writer may normalise what it read (a lone surrogate, a number JSON cannot spell), but
    // never writes anything it cannot read back as it was.
    if (!reread.isArray || reread.skipped != 0 || reread.records.size() != read.records.size() ||
        Json::encodeList(reread.records) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    readWriteRead<HistoryEntry>(bytes);
    readWriteRead<DictionaryEntry>(bytes);
    readWriteRead<Snippet>(bytes);
    readWriteRead<DictraTask>(bytes);
    readWriteRead<FocusSession>(bytes);
    readWriteRead<DayBriefing>(bytes);
    readWriteRead<PendingNotification>(bytes);
    return 0;
}
