#include "app/AppSettings.h"

#include "usage/UsageReporter.h"

const QString AppSettings::kDefaultUsageEndpoint = QStringLiteral("http://127.0.0.1:8787/api/track");

AppSettings::AppSettings(QSettings &store, QObject *parent) : QObject(parent), m_store(store) {}

bool AppSettings::readBool(QStringView key, bool fallback) const
{
    const QVariant value = m_store.value(key.toString());
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The settings file stores text; only the spellings we write count.
    const QString text =
        value.typeId() == QMetaType::QString ? value.toString().trimmed().toLower() : QString();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return fallback;
}

QString AppSettings::readString(QStringView key, const QString &fallback) const
{
    const QVariant value = m_store.value(key.toString());
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

void AppSettings::write(QStringView key, const QVariant &value)
{
    if (m_store.value(key.toString()) == value)
        return;
    m_store.setValue(key.toString(), value);
    m_store.sync();
    emit changed();
}

std::optional<QUrl> AppSettings::usageUrl() const
{
    if (!usageEnabled())
        return std::nullopt;
    return UsageReporter::endpointFromText(usageEndpoint());
}
