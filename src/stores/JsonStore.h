#pragma once

#include "core/Json.h"
#include "stores/DataFolder.h"
#include "stores/JsonStoreBase.h"

#include <QList>

// A list of records persisted as one JSON array file in the data folder. The owner loads it
// once and hands over the whole list after every change; writes happen on a background
// thread in the order made, so the file ends up holding the last save. Loading also clears
// what interrupted saves left behind: the process that loads is the folder's only writer.
template<typename Record>
class JsonStore : public JsonStoreBase
{
public:
    explicit JsonStore(const QString &fileName, const QString &folder = DataFolder::defaultPath())
        : JsonStoreBase(fileName, folder)
    {}

    QList<Record> load(QList<Record> fallback = {})
    {
        if (const std::optional<QByteArray> bytes = readFile()) {
            Json::DecodedRecords<Record> decoded = Json::decodeEach<Record>(*bytes);
            if (decoded.isArray) {
                if (decoded.skipped == 0)
                    removeLeftovers(); // the file is the last complete save
                else
                    keepDamagedCopy(decoded.skipped);
                return std::move(decoded.records);
            }
            if (!setAside())
                return fallback;
        }
        // No usable file: a save interrupted before its rename may hold the only copy.
        for (const QString &leftover : leftovers()) {
            const std::optional<QByteArray> bytes = readLeftover(leftover);
            Json::DecodedRecords<Record> decoded = Json::decodeEach<Record>(bytes.value_or(QByteArray()));
            if (decoded.isArray && decoded.skipped == 0) {
                adoptLeftover(leftover);
                removeLeftovers();
                return std::move(decoded.records);
            }
        }
        removeLeftovers();
        return fallback;
    }

    void save(QList<Record> records)
    {
        write([records = std::move(records)] { return Json::encodeList(records); });
    }
};
