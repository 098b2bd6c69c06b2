#pragma once

#include <QProcessEnvironment>

namespace pintora {

// Under Wayland a tray app without a focused window cannot read the clipboard,
// and it cannot place its window. Through XWayland it can do both, so a
// Wayland session with an X server runs on the xcb platform, unless the user
// chose a platform with QT_QPA_PLATFORM.
bool shouldRunOnXWayland(const QProcessEnvironment &environment);

} // namespace pintora
