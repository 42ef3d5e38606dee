#include "ui/PermissionListModel.h"

#include "app/AppState.h"

#include <QDesktopServices>

namespace {

// The keys row comes last and only where the app cannot watch the keys itself.
enum Row { Microphone, Speech, Accessibility, Keys };

using Paste = DesktopCapabilities::Paste;

QString titleOf(int row)
{
    switch (row) {
    case Microphone:
        return u"Microphone"_qs;
    case Speech:
        return u"Speech Recognition"_qs;
    case Accessibility:
        return u"Accessibility (type into apps)"_qs;
    default:
        return u"Push-to-talk in other apps"_qs;
    }
}

// What the desktop needs for typing into apps, for when nothing can grant it.
QString missingTyping(const DesktopCapabilities &desktop)
{
    if (desktop.paste == Paste::SyntheticKeys)
        return u"Typing needs an X11 session whose X server offers the XTEST extension."_qs;
    if (desktop.clipboardWithoutFocus)
        return u"This compositor lets no app send keys: the text is copied for you to paste with Ctrl+V."_qs;
    return u"This desktop lets no app type or use the clipboard in the background: the text is copied "
           "while Dictrava is in front. Where the desktop asks whether Dictrava may control the keyboard, "
           "allow it and start Dictrava again; Sway, Hyprland and KDE Plasma allow both."_qs;
}

// How typing gets through where the session needs a way of its own.
QString typingPath(const DesktopCapabilities &desktop)
{
    switch (desktop.paste) {
    case Paste::VirtualKeyboard:
        return u"Pastes through a virtual keyboard."_qs;
    case Paste::FakeInput:
        return u"Pastes through KWin's fake input."_qs;
    case Paste::PortalTyping:
        return u"Types through the desktop's remote-desktop portal; your clipboard is left alone."_qs;
    default:
        return {};
    }
}

QString keysLine(const DesktopCapabilities &desktop)
{
    if (desktop.keys == DesktopCapabilities::Keys::Portal)
        return u"The desktop's global shortcuts tell Dictrava while the key is held."_qs;
    return u"Wayland shows no app the keys of others: bind a key's press to dictrava-cli ptt start and "
           "its release to dictrava-cli ptt stop (man dictrava)."_qs;
}

} // namespace

PermissionListModel::PermissionListModel(AppState &app, DesktopAccess desktop, QObject *parent)
    : QAbstractListModel(parent), m_app(app), m_desktop(std::move(desktop))
{
    connect(&app, &AppState::permissionsChanged, this, &PermissionListModel::refresh);
}

int PermissionListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return capabilities().keys == DesktopCapabilities::Keys::SystemWide ? Keys : Keys + 1;
}

bool PermissionListModel::granted(int row) const
{
    switch (row) {
    case Microphone:
        return m_app.micAuthorized();
    case Speech:
        return m_app.speechAuthorized();
    case Accessibility:
        return m_app.accessibilityTrusted();
    default:
        return capabilities().keys == DesktopCapabilities::Keys::Portal;
    }
}

DesktopCapabilities PermissionListModel::capabilities() const
{
    if (m_desktop.capabilities)
        return m_desktop.capabilities();
    return {DesktopCapabilities::Keys::SystemWide, Paste::SyntheticKeys, true};
}

QUrl PermissionListModel::place(int row) const
{
    return row == Accessibility ? m_desktop.accessibilitySettings : QUrl();
}

QString PermissionListModel::help(int row) const
{
    switch (row) {
    case Microphone:
        return granted(row) ? QString()
                            : u"Connect a microphone; PulseAudio or PipeWire must offer an input source."_qs;
    case Speech:
        return granted(row) ? QString() : u"Install a speech model: the pocketsphinx-en-us package."_qs;
    case Accessibility:
        if (granted(row))
            return typingPath(capabilities());
        return place(row).isEmpty() ? missingTyping(capabilities()) : QString();
    default:
        return keysLine(capabilities());
    }
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
        return help(row);
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

void PermissionListModel::refresh()
{
    emit dataChanged(index(0), index(rowCount() - 1));
}

bool PermissionListModel::openSettings(int row) const
{
    const QUrl url = place(row);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}
