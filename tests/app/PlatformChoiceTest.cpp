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

TEST(PlatformChoice, WaylandWithAnXServerRunsOnXcbUnlessThePlatformIsChosen)
{
    EXPECT_TRUE(shouldRunOnXWayland(environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}})));
    EXPECT_TRUE(shouldRunOnXWayland(environment({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}})));
    EXPECT_FALSE(shouldRunOnXWayland(environment({{"XDG_SESSION_TYPE", "wayland"}}))); // no XWayland
    EXPECT_FALSE(shouldRunOnXWayland(environment({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}})));
    EXPECT_FALSE(shouldRunOnXWayland(
        environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}})));
    EXPECT_TRUE(shouldRunOnXWayland(
        environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}})));
}

} // namespace pintora
