#include "usage/UsageReporter.h"

#include "usage/MachineName.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QUuid>

namespace {

const QString kLaunchEvent = QStringLiteral("launch");

QString applicationVersion()
{
    const QString version = QStringLiteral(DICTRAVA_VERSION).trimmed();
    return version.isEmpty() ? QStringLiteral("0") : version;
}

QString newDeviceId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

UsageReporter::UsageReporter(QSettings &settings, const Clock &clock, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(clock), m_network(new QNetworkAccessManager(this))
{
    // Finished replies go away by themselves, so an endpoint that fails every ping costs nothing.
    m_network->setAutoDeleteReplies(true);

    m_deviceId = m_settings.value(kDeviceIdKey).toString();
    if (m_deviceId.isEmpty()) {
        m_deviceId = newDeviceId();
        m_settings.setValue(kDeviceIdKey, m_deviceId);
        m_settings.sync(); // stored at once: the id must be the same at the next launch
    }
}

std::optional<QUrl> UsageReporter::endpointFromText(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!isUsableEndpoint(url))
        return std::nullopt;
    return url;
}

bool UsageReporter::isUsableEndpoint(const QUrl &url)
{
    // QUrl accepts nearly any text as a relative URL ("not a url", "localhost:8080" as a scheme),
    // and the network manager would also open file: and data: URLs; a ping only ever goes to a web
    // server.
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

void UsageReporter::setEndpointProvider(EndpointProvider provider)
{
    m_endpointProvider = std::move(provider);
}

void UsageReporter::report(const QString &event, const QVariantMap &extra)
{
    if (!m_endpointProvider)
        return;
    const std::optional<QUrl> endpoint = m_endpointProvider();
    if (!endpoint || !isUsableEndpoint(*endpoint))
        return;

    const QDateTime now = m_clock.now();
    if (isThrottled(event, now))
        return;
    m_lastSent.insert(event, now);

    QNetworkRequest request(*endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(kTimeoutMSecs);
    // The reply is never read: its status and errors do not matter, and auto-deletion frees it.
    m_network->post(request, QJsonDocument(body(event, extra, now)).toJson(QJsonDocument::Compact));
}

bool UsageReporter::isThrottled(const QString &event, const QDateTime &now) const
{
    if (event == kLaunchEvent)
        return false;
    const auto last = m_lastSent.constFind(event);
    if (last == m_lastSent.cend())
        return false;
    // A clock set back (by hand or by time sync) does not silence the event until it catches up.
    const qint64 elapsedMSecs = last->msecsTo(now);
    return elapsedMSecs >= 0 && elapsedMSecs < kThrottleSeconds * 1000;
}

QJsonObject UsageReporter::body(const QString &event, const QVariantMap &extra, const QDateTime &now) const
{
    QJsonObject body{
        {QStringLiteral("deviceId"), m_deviceId},
        {QStringLiteral("event"), event},
        {QStringLiteral("user"), m_settings.value(kUserDisplayNameKey).toString()},
        {QStringLiteral("host"), MachineName::displayName()},
        {QStringLiteral("appVersion"), applicationVersion()},
        {QStringLiteral("ts"), now.toUTC().toString(Qt::ISODate)},
    };
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        body.insert(it.key(), QJsonValue::fromVariant(it.value()));
    return body;
}
