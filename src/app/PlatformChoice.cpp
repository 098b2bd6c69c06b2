#include "app/PlatformChoice.h"

namespace pintora {

bool shouldRunOnXWayland(const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return false;
    const bool wayland = environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland")
        || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    return wayland && !environment.value(QStringLiteral("DISPLAY")).isEmpty();
}

} // namespace pintora
