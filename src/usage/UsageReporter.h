#pragma once

#include "core/Clock.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <optional>

class QJsonObject;
class QNetworkAccessManager;
class QSettings;

// Sends anonymous event pings ("launch", "dictation", …), one JSON POST per event, to the endpoint
// the user configured. It is the app's only network traffic. Nothing is queued, retried or read
// back: a ping goes out at once or is dropped, and report() never waits for the network.
class UsageReporter : public QObject
{
    Q_OBJECT

public:
    // Asked before every ping; no value means usage reporting is off or has no usable endpoint.
    using EndpointProvider = std::function<std::optional<QUrl>()>;

    static constexpr qint64 kThrottleSeconds = 60;
    static constexpr int kTimeoutMSecs = 5000;
    static constexpr QLatin1StringView kDeviceIdKey{"dictrava.deviceId"};
    static constexpr QLatin1StringView kUserDisplayNameKey{"userDisplayName"};

    // Reads the device id from the settings, creating and storing one on the first run.
    UsageReporter(QSettings &settings, const Clock &clock, QObject *parent = nullptr);

    // The endpoint for the usageEndpoint setting's text: an absolute http(s) URL with a host,
    // or no value.
    static std::optional<QUrl> endpointFromText(const QString &text);

    void setEndpointProvider(EndpointProvider provider);

    const QString &deviceId() const { return m_deviceId; }

    // Sends one ping unless reporting is off or the same event went out less than a minute ago
    // ("launch" is never held back). Entries of `extra` are added to the body and replace
    // built-in entries of the same name.
    void report(const QString &event, const QVariantMap &extra = {});

private:
    static bool isUsableEndpoint(const QUrl &url);
    bool isThrottled(const QString &event, const QDateTime &now) const;
    QJsonObject body(const QString &event, const QVariantMap &extra, const QDateTime &now) const;

    QSettings &m_settings;
    const Clock &m_clock;
    QString m_deviceId;
    EndpointProvider m_endpointProvider;
    QHash<QString, QDateTime> m_lastSent; // memory only: after a restart every event may go at once
    QNetworkAccessManager *m_network;
};
