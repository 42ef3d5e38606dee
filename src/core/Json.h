#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// The stored JSON form of records: compact, keys in field order, UUIDs in upper case, dates as
// seconds since 2001-01-01 UTC, optional fields left out, "/" written as "\/".
namespace Json {

QByteArray quote(const QString &text);
QByteArray number(double value);
QByteArray array(const QList<QByteArray> &encodedElements);

// The canonical upper-case 36-character form.
QString uuidString(const QUuid &id);
// Accepts exactly the 8-4-4-4-12 hexadecimal form, in either case.
std::optional<QUuid> parseUuid(const QString &text);

} // namespace Json

class JsonObjectWriter
{
public:
    JsonObjectWriter &add(const char *key, const QString &value);
    JsonObjectWriter &add(const char *key, bool value);
    JsonObjectWriter &add(const char *key, double value);
    JsonObjectWriter &add(const char *key, const QUuid &value);
    JsonObjectWriter &add(const char *key, const Timestamp &value);
    JsonObjectWriter &add(const char *key, const QStringList &value);
    JsonObjectWriter &addEncoded(const char *key, const QByteArray &encodedValue);

    template<typename T>
    JsonObjectWriter &add(const char *key, const std::optional<T> &value)
    {
        if (value)
            add(key, *value);
        return *this;
    }

    QByteArray finish() const;

private:
    QByteArray m_body;
};

// Reads the fields of one stored object. A required field that is missing, null or of the
// wrong type makes the reader fail; callers then treat the whole file as unreadable.
class JsonObjectReader
{
public:
    explicit JsonObjectReader(const QJsonValue &value);

    bool ok() const { return m_ok; }

    QString string(const char *key);
    bool boolean(const char *key);
    double number(const char *key);
    QUuid uuid(const char *key);
    Timestamp timestamp(const char *key);
    QStringList stringList(const char *key);
    QJsonArray array(const char *key);

    std::optional<QUuid> optionalUuid(const char *key);
    std::optional<Timestamp> optionalTimestamp(const char *key);
    std::optional<QString> optionalString(const char *key);

private:
    QJsonValue required(const char *key, QJsonValue::Type type);
    QJsonValue optional(const char *key, QJsonValue::Type type);

    QJsonObject m_object;
    bool m_ok = true;
};

namespace Json {

template<typename Record>
QByteArray encodeList(const QList<Record> &records)
{
    QList<QByteArray> elements;
    elements.reserve(records.size());
    for (const Record &record : records)
        elements.append(record.toJson());
    return array(elements);
}

// Every element must decode, or the whole list is rejected.
template<typename Record>
std::optional<QList<Record>> decodeList(const QJsonArray &array)
{
    QList<Record> records;
    records.reserve(array.size());
    for (const QJsonValue &element : array) {
        std::optional<Record> record = Record::fromJson(element);
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
    }
    return records;
}

// The top-level array of a stored file, or nothing when the bytes are not a JSON array.
std::optional<QJsonArray> parseArray(const QByteArray &bytes);

template<typename Record>
std::optional<QList<Record>> decodeList(const QByteArray &bytes)
{
    const std::optional<QJsonArray> parsed = parseArray(bytes);
    if (!parsed)
        return std::nullopt;
    return decodeList<Record>(*parsed);
}

// A stored file read record by record, so that one damaged record does not hide the others.
template<typename Record>
struct DecodedRecords
{
    bool isArray = false; // false: the bytes are not a JSON array at all
    QList<Record> records;
    qsizetype skipped = 0; // elements that are not a valid record
};

template<typename Record>
DecodedRecords<Record> decodeEach(const QByteArray &bytes)
{
    DecodedRecords<Record> decoded;
    const std::optional<QJsonArray> parsed = parseArray(bytes);
    if (!parsed)
        return decoded;
    decoded.isArray = true;
    decoded.records.reserve(parsed->size());
    for (const QJsonValue &element : *parsed) {
        if (std::optional<Record> record = Record::fromJson(element))
            decoded.records.append(std::move(*record));
        else
            ++decoded.skipped;
    }
    return decoded;
}

} // namespace Json
