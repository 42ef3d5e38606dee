#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QUrl>

#include <optional>

// The app's own settings, each bound to one key of the settings file: reading gives the stored
// value or the default (also when the stored value has the wrong type), writing stores it at once.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool removeFillers READ removeFillers WRITE setRemoveFillers NOTIFY changed)
    Q_PROPERTY(bool autoCapitalize READ autoCapitalize WRITE setAutoCapitalize NOTIFY changed)
    Q_PROPERTY(bool autoPunctuate READ autoPunctuate WRITE setAutoPunctuate NOTIFY changed)
    Q_PROPERTY(QString insertModeRaw READ insertModeRaw WRITE setInsertModeRaw NOTIFY changed)
    Q_PROPERTY(bool onDeviceRecognition READ onDeviceRecognition WRITE setOnDeviceRecognition NOTIFY changed)
    Q_PROPERTY(QString usageEndpoint READ usageEndpoint WRITE setUsageEndpoint NOTIFY changed)
    Q_PROPERTY(bool usageEnabled READ usageEnabled WRITE setUsageEnabled NOTIFY changed)
    Q_PROPERTY(QString userDisplayName READ userDisplayName WRITE setUserDisplayName NOTIFY changed)
    Q_PROPERTY(bool showDockStation READ showDockStation WRITE setShowDockStation NOTIFY changed)
    Q_PROPERTY(bool showFocusHUD READ showFocusHUD WRITE setShowFocusHUD NOTIFY changed)

public:
    static const QString kDefaultUsageEndpoint;

    explicit AppSettings(QSettings &store, QObject *parent = nullptr);

    bool removeFillers() const { return readBool(u"removeFillers", true); }
    bool autoCapitalize() const { return readBool(u"autoCapitalize", true); }
    bool autoPunctuate() const { return readBool(u"autoPunctuate", true); }
    QString insertModeRaw() const { return readString(u"insertMode", QStringLiteral("typeAtCursor")); }
    // Anything but "clipboardOnly" types at the cursor.
    bool clipboardOnly() const { return insertModeRaw() == u"clipboardOnly"; }
    bool onDeviceRecognition() const { return readBool(u"onDeviceRecognition", true); }
    QString usageEndpoint() const { return readString(u"usageEndpoint", kDefaultUsageEndpoint); }
    bool usageEnabled() const { return readBool(u"usageEnabled", true); }
    QString userDisplayName() const { return readString(u"userDisplayName", QString()); }
    bool showDockStation() const { return readBool(u"showDockStation", true); }
    bool showFocusHUD() const { return readBool(u"showFocusHUD", true); }

    void setRemoveFillers(bool on) { write(u"removeFillers", on); }
    void setAutoCapitalize(bool on) { write(u"autoCapitalize", on); }
    void setAutoPunctuate(bool on) { write(u"autoPunctuate", on); }
    void setInsertModeRaw(const QString &raw) { write(u"insertMode", raw); }
    void setOnDeviceRecognition(bool on) { write(u"onDeviceRecognition", on); }
    void setUsageEndpoint(const QString &url) { write(u"usageEndpoint", url); }
    void setUsageEnabled(bool on) { write(u"usageEnabled", on); }
    void setUserDisplayName(const QString &name) { write(u"userDisplayName", name); }
    void setShowDockStation(bool on) { write(u"showDockStation", on); }
    void setShowFocusHUD(bool on) { write(u"showFocusHUD", on); }

    // The usage endpoint when usage pings are on and the text is a web URL; else nothing.
    std::optional<QUrl> usageUrl() const;

    QSettings &store() { return m_store; }

signals:
    void changed();

private:
    bool readBool(QStringView key, bool fallback) const;
    QString readString(QStringView key, const QString &fallback) const;
    void write(QStringView key, const QVariant &value);

    QSettings &m_store;
};
