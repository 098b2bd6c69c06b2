#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace pintora {

CommandLine parseCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the image on the clipboard: crop it, burn in boxes and blurs, copy it back.\n"
                       "Runs once per desktop: a second start opens the running one's editor."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("An image to open instead of the clipboard's."),
                                 QStringLiteral("[FILE]"));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::error;
        line.text = QStringLiteral("pintora: ") + parser.errorText();
    } else if (parser.isSet(help)) {
        line.action = CommandLine::Action::help;
        // The first line names the program by how it was started; say its name.
        const QString text = parser.helpText();
        line.text = QStringLiteral("Usage: pintora [options] [FILE]") + text.mid(text.indexOf(u'\n'));
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::version;
        line.text = QStringLiteral("pintora " PINTORA_VERSION "\n");
    } else if (parser.positionalArguments().size() > 1) {
        line.action = CommandLine::Action::error;
        line.text = QStringLiteral("pintora: one file at a time");
    } else if (!parser.positionalArguments().isEmpty()) {
        line.file = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(parser.positionalArguments().first()));
    }
    return line;
}

} // namespace pintora
