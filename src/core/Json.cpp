#include "core/Json.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>

namespace Json {

QByteArray quote(const QString &text)
{
    static const char hexDigits[] = "0123456789abcdef";
    // Lone surrogates cannot be stored as UTF-8; toUtf8 turns them into U+FFFD.
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out.append('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '/':
            out.append("\\/");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (byte < 0x20) {
                out.append("\\u00");
                out.append(hexDigits[byte >> 4]);
                out.append(hexDigits[byte & 0xF]);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
    return out;
}

QByteArray number(double value)
{
    if (!std::isfinite(value))
        value = 0.0; // JSON has no spelling for these; they never come from a valid file
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

QByteArray array(const QList<QByteArray> &encodedElements)
{
    QByteArray out;
    out.append('[');
    for (qsizetype i = 0; i < encodedElements.size(); ++i) {
        if (i > 0)
            out.append(',');
        out.append(encodedElements[i]);
    }
    out.append(']');
    return out;
}

QString uuidString(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(const QString &text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? c != QLatin1Char('-') : !isxdigit(c.unicode() < 128 ? c.unicode() : 0))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<QJsonArray> parseArray(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return document.array();
}

} // namespace Json

JsonObjectWriter &JsonObjectWriter::addEncoded(const char *key, const QByteArray &encodedValue)
{
    m_body.append(m_body.isEmpty() ? '{' : ',');
    m_body.append('"');
    m_body.append(key);
    m_body.append("\":");
    m_body.append(encodedValue);
    return *this;
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, const QString &value)
{
    return addEncoded(key, Json::quote(value));
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, bool value)
{
    return addEncoded(key, value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"));
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, double value)
{
    return addEncoded(key, Json::number(value));
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, const QUuid &value)
{
    return addEncoded(key, Json::quote(Json::uuidString(value)));
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, const Timestamp &value)
{
    return addEncoded(key, Json::number(value.secondsSinceReference));
}

JsonObjectWriter &JsonObjectWriter::add(const char *key, const QStringList &value)
{
    QList<QByteArray> elements;
    elements.reserve(value.size());
    for (const QString &text : value)
        elements.append(Json::quote(text));
    return addEncoded(key, Json::array(elements));
}

QByteArray JsonObjectWriter::finish() const
{
    return m_body.isEmpty() ? QByteArrayLiteral("{}") : m_body + '}';
}

JsonObjectReader::JsonObjectReader(const QJsonValue &value)
    : m_object(value.toObject()), m_ok(value.isObject())
{}

QJsonValue JsonObjectReader::required(const char *key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.type() != type)
        m_ok = false;
    return value;
}

QJsonValue JsonObjectReader::optional(const char *key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return QJsonValue(QJsonValue::Undefined);
    if (value.type() != type)
        m_ok = false;
    return value;
}

QString JsonObjectReader::string(const char *key)
{
    return required(key, QJsonValue::String).toString();
}

bool JsonObjectReader::boolean(const char *key)
{
    return required(key, QJsonValue::Bool).toBool();
}

double JsonObjectReader::number(const char *key)
{
    return required(key, QJsonValue::Double).toDouble();
}

QUuid JsonObjectReader::uuid(const char *key)
{
    const std::optional<QUuid> id = Json::parseUuid(string(key));
    if (!id)
        m_ok = false;
    return id.value_or(QUuid());
}

Timestamp JsonObjectReader::timestamp(const char *key)
{
    return Timestamp{number(key)};
}

QStringList JsonObjectReader::stringList(const char *key)
{
    QStringList texts;
    const QJsonArray elements = array(key);
    texts.reserve(elements.size());
    for (const QJsonValue &element : elements) {
        if (!element.isString()) {
            m_ok = false;
            return {};
        }
        texts.append(element.toString());
    }
    return texts;
}

QJsonArray JsonObjectReader::array(const char *key)
{
    return required(key, QJsonValue::Array).toArray();
}

std::optional<QUuid> JsonObjectReader::optionalUuid(const char *key)
{
    const QJsonValue value = optional(key, QJsonValue::String);
    if (value.isUndefined())
        return std::nullopt;
    const std::optional<QUuid> id = Json::parseUuid(value.toString());
    if (!id)
        m_ok = false;
    return id;
}

std::optional<Timestamp> JsonObjectReader::optionalTimestamp(const char *key)
{
    const QJsonValue value = optional(key, QJsonValue::Double);
    if (value.isUndefined())
        return std::nullopt;
    return Timestamp{value.toDouble()};
}

std::optional<QString> JsonObjectReader::optionalString(const char *key)
{
    const QJsonValue value = optional(key, QJsonValue::String);
    if (value.isUndefined())
        return std::nullopt;
    return value.toString();
}
