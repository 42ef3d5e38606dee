#pragma once

#include <QByteArrayView>

// Whether an application with this name (an X11 WM_CLASS part or a Wayland app id, compared
// without case) is a terminal emulator, where Ctrl+V reaches the program inside as a control
// character and pasting takes Ctrl+Shift+V.
bool isTerminalApplication(QByteArrayView name);
