#include "app/PintoraApp.h"

#include "app/Console.h"
#include "app/DarkAppearance.h"
#include "app/SymbolIcon.h"
#include "i18n/Translations.h"

#include <QApplication>
#include <QSystemTrayIcon>

PintoraApp::PintoraApp(QObject *parent)
    : QObject(parent)
{
}

PintoraApp::~PintoraApp() = default;

void PintoraApp::applicationDidFinishLaunching()
{
    console::writeLine("✅ App launched successfully!");

    applyDarkAppearance();

    Translations::current = Translations::detectSystemLanguage();
    console::writeLine(QStringLiteral("🌍 Language: ") + displayName(Translations::current));

    // A tray utility has no main window: closing the editor must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    m_statusItem = new QSystemTrayIcon(this);
    console::writeLine(std::string("✅ StatusItem created: ") + (m_statusItem ? "true" : "false"));

    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        console::writeLine("❌ Button is nil!");
        return;
    }

    console::writeLine("✅ Button exists, setting up icon...");
    const QString symbolName = QStringLiteral("viewfinder.crop");
    const QIcon icon = symbolIcon(symbolName);
    if (!icon.isNull()) {
        m_statusItem->setIcon(icon);
        console::writeLine(QStringLiteral("✅ Image set from symbol: ") + symbolName);
    } else {
        m_statusItem->setIcon(textIcon(QStringLiteral("✂️")));
        console::writeLine("✅ Fallback emoji icon set");
    }
    m_statusItem->setToolTip(QStringLiteral("Pintora"));

    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menuBarIconClicked();
    });
    m_statusItem->show();
    console::writeLine("✅ Button action configured");
}

void PintoraApp::menuBarIconClicked()
{
}
