#pragma once

#include <QString>
#include <QStringList>

namespace pintora {

// What the command line asks for.
struct CommandLine {
    enum class Action {
        run, // start, or hand over to the running instance
        help, // print `text` and end
        version, // print `text` and end
        error, // print `text` on standard error and end with a failure
    };
    Action action = Action::run;
    QString file; // absolute; empty when none was given
    QString text;
};

// `arguments` as main receives them, the program first: `pintora [FILE]`,
// --help, --version. Relative file names are taken from `workingFolder`.
CommandLine parseCommandLine(const QStringList &arguments, const QString &workingFolder);

} // namespace pintora
