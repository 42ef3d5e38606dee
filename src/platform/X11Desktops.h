#pragma once

// Asks the window manager to keep `window` on every workspace (EWMH _NET_WM_DESKTOP "all"), for a
// window already mapped or about to be. `display` is the Xlib Display of the connection that made
// the window, so the request follows the window's creation. Window managers without workspaces
// ignore it.
void x11ShowOnAllDesktops(void *display, unsigned long window);
