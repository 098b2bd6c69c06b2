#pragma once

#include <QObject>

class QSystemTrayIcon;

// The application's controller: brings the process up as a tray utility and
// reacts to clicks on its tray icon.
class PintoraApp : public QObject
{
    Q_OBJECT

public:
    explicit PintoraApp(QObject *parent = nullptr);
    ~PintoraApp() override;

    // Runs once when the event loop has started.
    void applicationDidFinishLaunching();

    // A click on the tray icon.
    void menuBarIconClicked();

private:
    QSystemTrayIcon *m_statusItem = nullptr; // child of this; set once at launch
};
