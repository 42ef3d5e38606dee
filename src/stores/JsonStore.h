#pragma once

#include "core/Json.h"
#include "stores/DataFolder.h"
#include "stores/JsonStoreBase.h"

#include <QList>

// A list of records persisted as one JSON array file in the data folder. The owner loads it
// once and hands over the whole list after every change; writes happen on a background
// thread in the order made, so the file ends up holding the last save.
template<typename Record>
class JsonStore : public JsonStoreBase
{
public:
    explicit JsonStore(const QString &fileName, const QString &folder = DataFolder::defaultPath())
        : JsonStoreBase(fileName, folder)
    {}

    QList<Record> load(QList<Record> fallback = {})
    {
        const std::optional<QByteArray> bytes = readFile();
        if (!bytes)
            return fallback;
        std::optional<QList<Record>> records = Json::decodeList<Record>(*bytes);
        if (!records) {
            markUnreadable();
            return fallback;
        }
        return std::move(*records);
    }

    void save(QList<Record> records)
    {
        write([records = std::move(records)] { return Json::encodeList(records); });
    }
};
