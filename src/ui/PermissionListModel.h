#pragma once

#include "platform/DesktopBackend.h"

#include <QAbstractListModel>
#include <QUrl>

#include <QtQml/qqmlregistration.h>
#include <functional>

class AppState;

// What this desktop session lets the app do, asked again with each check of the rows (a desktop
// may refuse later what it offered at start; without an answer, an X11 session's), and where the
// user can grant typing into apps: an empty URL means there is no such place, and the row explains
// instead what to install or enable.
struct DesktopAccess
{
    std::function<DesktopCapabilities()> capabilities;
    QUrl accessibilitySettings;
};

// The General tab's permission rows (microphone, speech recognition, typing into apps, and where
// the app cannot watch the keys itself, push-to-talk), granted or not as the app state last found
// them. Under a row, a line says what to install or enable, or how this session lets the app
// paste and hear the key.
class PermissionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")

public:
    enum Role {
        TitleRole = Qt::UserRole + 1,
        GrantedRole,
        CanOpenSettingsRole,
        HelpRole, // the line under the row; empty for none
    };
    Q_ENUM(Role)

    explicit PermissionListModel(AppState &app, DesktopAccess desktop = {}, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Shows again what the desktop answers now; the app's own checks update the rows as they end.
    void refresh();

    // Opens the desktop's place for granting the row's permission, where there is one.
    Q_INVOKABLE bool openSettings(int row) const;

private:
    bool granted(int row) const;
    QUrl place(int row) const;
    QString help(int row) const;
    DesktopCapabilities capabilities() const;

    AppState &m_app;
    DesktopAccess m_desktop;
};
