#include "app/PintoraApp.h"

#include <QApplication>
#include <QMetaObject>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pintora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pintora"));

    PintoraApp pintora;
    // Launching has finished once the event loop runs.
    QMetaObject::invokeMethod(&pintora, &PintoraApp::applicationDidFinishLaunching, Qt::QueuedConnection);
    application.exec();
    return 0;
}
