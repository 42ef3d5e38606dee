#include "platform/TerminalApplications.h"

#include <algorithm>
#include <string_view>

namespace {

// The terminal emulators we know, by WM_CLASS instance or class and by Wayland app id.
// clang-format off
constexpr std::string_view terminals[]{
    "alacritty", "aterm", "blackbox", "com.gexperts.tilix", "com.mitchellh.ghostty",
    "com.raggesilver.blackbox", "contour", "cool-retro-term", "deepin-terminal", "eterm", "foot",
    "footclient", "ghostty", "gnome-terminal", "gnome-terminal-server", "guake", "hyper", "kgx", "kitty",
    "konsole", "lxterminal", "mate-terminal", "org.gnome.console", "org.gnome.ptyxis", "org.gnome.terminal",
    "org.kde.konsole", "org.kde.yakuake", "org.wezfurlong.wezterm", "ptyxis", "qterminal", "roxterm", "rxvt",
    "sakura", "st", "st-256color", "tabby", "terminator", "terminix", "terminology", "termite", "tilda",
    "tilix", "urxvt", "uxterm", "wezterm", "wezterm-gui", "xfce4-terminal", "xterm", "yakuake", "zutty",
};
// clang-format on

} // namespace

bool isTerminalApplication(QByteArrayView name)
{
    return std::any_of(std::begin(terminals), std::end(terminals), [name](std::string_view known) {
        return QByteArrayView(known.data(), qsizetype(known.size())).compare(name, Qt::CaseInsensitive) == 0;
    });
}
