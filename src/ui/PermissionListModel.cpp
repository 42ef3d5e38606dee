#include "ui/PermissionListModel.h"

#include "app/AppState.h"

#include <QDesktopServices>

namespace {

enum Row { Microphone, Speech, Accessibility, RowCount };

QString titleOf(int row)
{
    switch (row) {
    case Microphone:
        return u"Microphone"_qs;
    case Speech:
        return u"Speech Recognition"_qs;
    default:
        return u"Accessibility (type into apps)"_qs;
    }
}

// What a Linux desktop needs for the permission, for when no settings page can grant it.
QString helpOf(int row)
{
    switch (row) {
    case Microphone:
        return u"Connect a microphone; PulseAudio or PipeWire must offer an input source."_qs;
    case Speech:
        return u"Install a speech model: the pocketsphinx-en-us package."_qs;
    default:
        return u"Typing needs an X11 session whose X server offers the XTEST extension."_qs;
    }
}

} // namespace

PermissionListModel::PermissionListModel(AppState &app, PermissionPlaces places, QObject *parent)
    : QAbstractListModel(parent), m_app(app), m_places(std::move(places))
{
    connect(&app, &AppState::permissionsChanged, this,
            [this] { emit dataChanged(index(0), index(RowCount - 1)); });
}

int PermissionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount;
}

bool PermissionListModel::granted(int row) const
{
    switch (row) {
    case Microphone:
        return m_app.micAuthorized();
    case Speech:
        return m_app.speechAuthorized();
    default:
        return m_app.accessibilityTrusted();
    }
}

QUrl PermissionListModel::place(int row) const
{
    return row == Accessibility ? m_places.accessibility : QUrl();
}

QVariant PermissionListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return titleOf(row);
    case GrantedRole:
        return granted(row);
    case CanOpenSettingsRole:
        return !place(row).isEmpty();
    case HelpRole:
        return granted(row) || !place(row).isEmpty() ? QString() : helpOf(row);
    default:
        return {};
    }
}

QHash<int, QByteArray> PermissionListModel::roleNames() const
{
    return {{TitleRole, "title"},
            {GrantedRole, "granted"},
            {CanOpenSettingsRole, "canOpenSettings"},
            {HelpRole, "help"}};
}

bool PermissionListModel::openSettings(int row) const
{
    const QUrl url = place(row);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}
