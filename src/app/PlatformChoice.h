#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

namespace pintora {

// The Qt platform to run on in `environment`, for QT_QPA_PLATFORM; empty to
// leave Qt's own choice. The user's QT_QPA_PLATFORM always wins. In a Wayland
// session:
// - GNOME runs on xcb: XWayland reads and writes its clipboard at any time
//   and lets a window place itself.
// - KDE, sway and other wlroots compositors, and weston, run on Wayland
//   itself: their XWayland bridges refuse X11 programs the clipboard unless
//   an X11 window is active (KDE, sway), or pass only text (weston). xcb
//   stays behind as the fallback, for a system without Qt's Wayland plugin.
// - Elsewhere xcb where there is an X server, as it places windows.
QByteArray platformToUse(const QProcessEnvironment &environment);

} // namespace pintora
