#include "ConsoleCapture.h"
#include "app/PintoraApp.h"
#include "i18n/Translations.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>

#include <gtest/gtest.h>

// The offscreen platform has no system tray, so launch takes the path of a
// desktop without one and must still come up, dark and resident.
TEST(PintoraAppLaunch, WithoutATrayReportsTheMissingButtonAndKeepsRunning)
{
    QApplication::setQuitOnLastWindowClosed(true);
    ConsoleCapture capture;
    PintoraApp app;
    app.applicationDidFinishLaunching();

    const std::string language = "🌍 Language: " + displayName(Translations::current).toStdString();
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "✅ App launched successfully!",
                                   language,
                                   "✅ StatusItem created: true",
                                   "❌ Button is nil!",
                               }));
    EXPECT_EQ(Translations::current, Translations::detectSystemLanguage());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 64);
    EXPECT_GT(QApplication::palette().color(QPalette::WindowText).lightness(), 192);
}
