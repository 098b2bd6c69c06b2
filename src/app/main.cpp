#include "app/CommandLine.h"
#include "app/InstanceChannel.h"
#include "app/PintoraApp.h"
#include "app/PlatformChoice.h"
#include "app/QuitSignals.h"
#include "core/Console.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMetaObject>

#include <cstdio>

namespace {

void printLine(std::FILE *stream, const QString &text)
{
    std::fputs(qPrintable(text.endsWith(u'\n') ? text : text + u'\n'), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace pintora;
    console::surviveClosedOutput();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = parseCommandLine(arguments, QDir::currentPath());
    switch (line.action) {
    case CommandLine::Action::help:
    case CommandLine::Action::version: printLine(stdout, line.text); return 0;
    case CommandLine::Action::error: printLine(stderr, line.text); return 2;
    case CommandLine::Action::run: break;
    }

    if (const QByteArray platform = platformToUse(QProcessEnvironment::systemEnvironment()); !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    // One instance per user and display, over a socket in a folder that is
    // the user's alone; where there is none, this one runs on its own.
    QString problem;
    const QString socketPath = InstanceChannel::defaultPath(&problem);
    if (socketPath.isEmpty())
        printLine(stderr, QStringLiteral("pintora: running without hand-over to a running Pintora: ") + problem);
    // Qt wants a runtime folder too and complains on standard error without one.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && !socketPath.isEmpty())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(QFileInfo(socketPath).path()));
    // Every pointer move reaches the canvas: merged moves would cut the
    // corners of a fast pen or highlighter stroke.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pintora"));
    QApplication::setDesktopFileName(QStringLiteral("pintora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pintora.svg")));

    // The launcher's token lets the running instance raise its editor on
    // Wayland; one that cannot be a token is not passed on.
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!InstanceRequest::isActivationToken(token))
        token.clear();
    const InstanceRequest request{line.file.isEmpty() ? InstanceRequest::Kind::click : InstanceRequest::Kind::openFile,
                                  line.file, token};
    const auto cannotOpen = [&](const QString &reason) {
        printLine(stderr, QStringLiteral("pintora: cannot open %1: %2").arg(line.file, reason));
        return 1;
    };

    PintoraApp pintora;
    InstanceChannel channel(socketPath);
    const bool running = socketPath.isEmpty()
        || channel.becomeRunningInstance(
            [&pintora](const InstanceRequest &handed, const InstanceChannel::Reply &reply) {
                pintora.useActivationToken(handed.activationToken);
                if (handed.kind == InstanceRequest::Kind::openFile)
                    return pintora.openFile(handed.file, reply);
                pintora.menuBarIconClicked();
                reply({});
            });
    if (!running) {
        // A second launch is a click (or a file) for the one that runs.
        QString reason;
        // A file is read and decoded before the answer: a large one takes a while.
        switch (channel.handOver(request, &reason, line.file.isEmpty() ? 5000 : 30000)) {
        case InstanceChannel::Outcome::done: return 0;
        case InstanceChannel::Outcome::refused: return cannotOpen(reason);
        case InstanceChannel::Outcome::unanswered:
            printLine(stderr, QStringLiteral("pintora: the running Pintora does not answer"));
            return 1;
        }
    }

    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &application, &QCoreApplication::quit);
    // Launching has finished once the event loop runs.
    QMetaObject::invokeMethod(&pintora, &PintoraApp::applicationDidFinishLaunching, Qt::QueuedConnection);
    if (!line.file.isEmpty()) {
        QMetaObject::invokeMethod(
            &pintora,
            [&] {
                pintora.openFile(line.file, [&](const QString &reason) {
                    if (!reason.isEmpty())
                        QCoreApplication::exit(cannotOpen(reason));
                });
            },
            Qt::QueuedConnection);
    }
    const int code = application.exec();
    pintora.keepClipboardAfterQuit();
    return code;
}
