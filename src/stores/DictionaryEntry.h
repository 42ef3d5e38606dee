#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// One pair of the personal dictionary: what the recogniser hears and what the user wants written.
struct DictionaryEntry
{
    QUuid id;
    QString spoken;
    QString written;

    QByteArray toJson() const;
    static std::optional<DictionaryEntry> fromJson(const QJsonValue &value);

    friend bool operator==(const DictionaryEntry &, const DictionaryEntry &) = default;
};
