#include "app/CommandLine.h"
#include "app/QuitSignals.h"

#include <QSignalSpy>

#include <csignal>

#include <gtest/gtest.h>

namespace pintora {

TEST(CommandLine, AFileHelpVersionOrAMistake)
{
    using Action = CommandLine::Action;
    // clang-format off
    const struct {
        QStringList arguments;
        Action action;
        QString file;
        QString textStart;
    } cases[] = {
        {{"pintora"}, Action::run, {}, {}},
        {{"pintora", "shot.png"}, Action::run, "/home/u/shot.png", {}},
        {{"pintora", "../shots/a b.png"}, Action::run, "/home/shots/a b.png", {}},
        {{"pintora", "/tmp/x.jpg"}, Action::run, "/tmp/x.jpg", {}},
        {{"pintora", "--help"}, Action::help, {}, "Usage: pintora [options] [FILE]"},
        {{"pintora", "-h"}, Action::help, {}, "Usage: pintora"},
        {{"pintora", "--version"}, Action::version, {}, "pintora 0."},
        {{"pintora", "--frobnicate"}, Action::error, {}, "pintora: Unknown option 'frobnicate'."},
        {{"pintora", "a.png", "b.png"}, Action::error, {}, "pintora: one file at a time"},
    };
    // clang-format on
    for (const auto &c : cases) {
        const CommandLine line = parseCommandLine(c.arguments, QStringLiteral("/home/u"));
        EXPECT_EQ(line.action, c.action) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.file, c.file);
        EXPECT_TRUE(line.text.startsWith(c.textStart)) << "[" << line.text.toStdString() << "]";
    }
}

TEST(QuitSignals, TerminateInterruptAndHangUpReachTheEventLoop)
{
    QuitSignals quitSignals;
    QSignalSpy received(&quitSignals, &QuitSignals::received);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        std::raise(signalNumber); // would end the test run without the handler
        ASSERT_TRUE(received.wait(1000));
        EXPECT_EQ(received.takeFirst().at(0).toInt(), signalNumber);
    }
}

} // namespace pintora
