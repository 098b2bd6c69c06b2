#include "app/PlatformChoice.h"

#include <gtest/gtest.h>

namespace pintora {

namespace {

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, const char *>> variables)
{
    QProcessEnvironment result;
    for (const auto &[name, value] : variables)
        result.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return result;
}

} // namespace

TEST(PlatformChoice, FollowsTheDesktopAndTheSessionUnlessTheUserChose)
{
    struct Case {
        const char *what;
        QProcessEnvironment environment;
        QByteArray platform;
    };
    // clang-format off
    const Case cases[] = {
        {"GNOME with XWayland",    environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}, {"DISPLAY", ":0"}}), "xcb"},
        {"GNOME without XWayland", environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "GNOME"}}), ""},
        {"KDE with XWayland",      environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":1"}}), "wayland;xcb"},
        {"KDE without XWayland",   environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}}), "wayland"},
        {"sway by its socket",     environment({{"WAYLAND_DISPLAY", "wayland-1"}, {"SWAYSOCK", "/run/user/1000/sway-ipc.sock"}, {"DISPLAY", ":0"}}), "wayland;xcb"},
        {"sway by its name",       environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_SESSION_DESKTOP", "sway"}, {"DISPLAY", ":0"}}), "wayland;xcb"},
        {"Hyprland",               environment({{"WAYLAND_DISPLAY", "wayland-1"}, {"HYPRLAND_INSTANCE_SIGNATURE", "abc"}, {"DISPLAY", ":0"}}), "wayland;xcb"},
        {"weston",                 environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "weston"}, {"DISPLAY", ":0"}}), "wayland;xcb"},
        {"another compositor",     environment({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}), "xcb"},
        {"an X11 session",         environment({{"XDG_SESSION_TYPE", "x11"}, {"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}}), ""},
        {"the user's choice",      environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb"}}), ""},
        {"the user's choice on GNOME", environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}), ""},
        {"an empty choice is none", environment({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}}), "xcb"},
    };
    // clang-format on
    for (const Case &test : cases)
        EXPECT_EQ(platformToUse(test.environment), test.platform) << test.what;
}

} // namespace pintora
