#pragma once

#include <QAbstractListModel>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class AppState;

// Where the desktop lets the user grant what the app lacks; an empty URL means it has no such
// place, and the permission row explains instead what to install or enable.
struct PermissionPlaces
{
    QUrl accessibility;
};

// The General tab's permission rows (microphone, speech recognition, typing into apps), granted
// or not as the app state last found them.
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
        HelpRole,
    };
    Q_ENUM(Role)

    explicit PermissionListModel(AppState &app, PermissionPlaces places = {}, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Opens the desktop's place for granting the row's permission, where there is one.
    Q_INVOKABLE bool openSettings(int row) const;

private:
    bool granted(int row) const;
    QUrl place(int row) const;

    AppState &m_app;
    PermissionPlaces m_places;
};
