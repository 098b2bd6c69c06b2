#include "app/PintoraApp.h"
#include "app/PlatformChoice.h"
#include "core/Console.h"

#include <QApplication>
#include <QIcon>
#include <QMetaObject>

int main(int argc, char *argv[])
{
    pintora::console::surviveClosedOutput();
    if (pintora::shouldRunOnXWayland(QProcessEnvironment::systemEnvironment()))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pintora"));
    QApplication::setDesktopFileName(QStringLiteral("pintora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pintora.svg")));

    pintora::PintoraApp pintora;
    // Launching has finished once the event loop runs.
    QMetaObject::invokeMethod(&pintora, &pintora::PintoraApp::applicationDidFinishLaunching, Qt::QueuedConnection);
    application.exec();
    return 0;
}
