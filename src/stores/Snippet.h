#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// A spoken cue and the text it stands for.
struct Snippet
{
    QUuid id;
    QString cue;
    QString content;

    QByteArray toJson() const;
    static std::optional<Snippet> fromJson(const QJsonValue &value);

    friend bool operator==(const Snippet &, const Snippet &) = default;
};
