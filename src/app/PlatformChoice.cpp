#include "app/PlatformChoice.h"

#include <QStringList>

namespace pintora {
namespace {

// Desktops whose clipboard works for Wayland clients and not for X11 ones.
bool prefersNativeWayland(const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("SWAYSOCK")).isEmpty()
        || !environment.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE")).isEmpty())
        return true;
    static const QStringList native{QStringLiteral("kde"),   QStringLiteral("sway"),    QStringLiteral("hyprland"),
                                    QStringLiteral("river"), QStringLiteral("wayfire"), QStringLiteral("labwc"),
                                    QStringLiteral("weston")};
    // XDG_CURRENT_DESKTOP is a list, such as "ubuntu:GNOME".
    const QString desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")) + u':'
        + environment.value(QStringLiteral("XDG_SESSION_DESKTOP"));
    for (const QString &desktop : desktops.toLower().split(u':', Qt::SkipEmptyParts)) {
        if (native.contains(desktop))
            return true;
    }
    return false;
}

} // namespace

QByteArray platformToUse(const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return {};
    const bool wayland = environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland")
        || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!wayland)
        return {};
    const bool xwayland = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (prefersNativeWayland(environment))
        return xwayland ? "wayland;xcb" : "wayland";
    return xwayland ? "xcb" : QByteArray();
}

} // namespace pintora
