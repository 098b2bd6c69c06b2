#include "ImageTestSupport.h"
#include "app/InstanceChannel.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace pintora {
namespace {

// A running instance on a socket of its own, answering as told.
class InstanceChannelTest : public ::testing::Test
{
protected:
    QString path() const { return folder.filePath(QStringLiteral("pintora.socket")); }

    // Hands `request` over from another thread while this one serves it.
    InstanceChannel::Outcome handOver(const InstanceRequest &request, QString *reason = nullptr, int timeoutMs = 3000)
    {
        auto outcome = std::async(std::launch::async,
                                  [&] { return InstanceChannel(path()).handOver(request, reason, timeoutMs); });
        while (outcome.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return outcome.get();
    }

    QTemporaryDir folder;
    std::vector<QString> handled;
    InstanceChannel::Handler answer = [this](const InstanceRequest &request, const InstanceChannel::Reply &reply) {
        handled.push_back(request.kind == InstanceRequest::Kind::click ? QStringLiteral("click") : request.file);
        reply(request.file.endsWith(QLatin1String(".txt")) ? QStringLiteral("Unsupported image format") : QString());
    };
};

} // namespace

TEST(InstanceRequest, AnyPathGoesOverExactlyAndOnlyWellFormedLinesAreRequests)
{
    for (const QString &file : {QStringLiteral("/home/u/a b.png"), QStringLiteral("/home/u/été.png"),
                                QStringLiteral("/tmp/new\nline.png"), QStringLiteral("/tmp/tab\t.png"),
                                QStringLiteral("/tmp/unit\x1f"
                                               "sep\x01.png"),
                                QStringLiteral("/tmp/100%25.png"), QStringLiteral("/tmp/\x7f\u0085\u2028.png")}) {
        const QByteArray line = InstanceRequest{InstanceRequest::Kind::openFile, file, {}}.encoded();
        ASSERT_TRUE(line.endsWith('\n'));
        ASSERT_EQ(line.count('\n'), 1) << file.toStdString();
        const std::optional<InstanceRequest> request = InstanceRequest::decoded(line.chopped(1));
        ASSERT_TRUE(request) << file.toStdString();
        EXPECT_EQ(request->file, file);
    }
    // clang-format off
    const std::pair<QByteArray, std::optional<QString>> lines[] = {
        {"click", QString()},
        {"open /home/u/%C3%A9t%C3%A9.png", QStringLiteral("/home/u/été.png")},
        {"open /a%0Ab", QStringLiteral("/a\nb")},
        {"open relative.png", std::nullopt},
        {"open %2Fescaped-slash", std::nullopt},
        {"open /a b", std::nullopt},        // a raw space: not a line of ours
        {"open /a\x01" "b", std::nullopt},  // a raw control character
        {"open /a%00b", std::nullopt},      // NUL ends paths
        {"open /a%4", std::nullopt},
        {"open /a%zz", std::nullopt},
        {"open /%FF%FE", std::nullopt},     // not UTF-8
        {"", std::nullopt},
        {"CLICK", std::nullopt},
        {"GET / HTTP/1.1", std::nullopt},
    };
    // clang-format on
    for (const auto &[line, file] : lines) {
        const std::optional<InstanceRequest> request = InstanceRequest::decoded(line);
        ASSERT_EQ(request.has_value(), file.has_value()) << line.toStdString();
        if (request) {
            EXPECT_EQ(request->file, *file);
        }
    }
}

// A launcher's activation token rides along with either request; a token
// that no compositor makes spoils the line.
TEST(InstanceRequest, AnActivationTokenGoesOverWithTheRequest)
{
    const QByteArray longest(InstanceRequest::longestActivationToken, 'k');
    for (const InstanceRequest &sent :
         {InstanceRequest{InstanceRequest::Kind::click, {}, "0f3c-sway_42"},
          InstanceRequest{InstanceRequest::Kind::openFile, QStringLiteral("/tmp/a b.png"), "kwin-%20/+=?&token"},
          InstanceRequest{InstanceRequest::Kind::click, {}, longest}}) {
        const std::optional<InstanceRequest> back = InstanceRequest::decoded(sent.encoded().chopped(1));
        ASSERT_TRUE(back) << sent.encoded().toStdString();
        EXPECT_EQ(back->kind, sent.kind);
        EXPECT_EQ(back->file, sent.file);
        EXPECT_EQ(back->activationToken, sent.activationToken);
    }
    EXPECT_EQ(InstanceRequest{}.encoded(), "click\n"); // as ever without one
    // clang-format off
    const std::pair<QByteArray, std::optional<QByteArray>> lines[] = {
        {"click token=abc",           "abc"},
        {"open /a.png token=a%2Fb",   "a/b"},
        {"click token=",              std::nullopt},
        {"click token=a%20b",         std::nullopt}, // a space is no token's
        {"click token=a%0Ab",         std::nullopt},
        {"click token=%FF",           std::nullopt},
        {"click token=a token=b",     std::nullopt},
        {"token=abc",                 std::nullopt},
        {"click abc",                 std::nullopt},
        {"click token=" + longest + "k", std::nullopt},
    };
    // clang-format on
    for (const auto &[line, token] : lines) {
        const std::optional<InstanceRequest> request = InstanceRequest::decoded(line);
        ASSERT_EQ(request.has_value(), token.has_value()) << line.left(40).toStdString();
        if (request) {
            EXPECT_EQ(request->activationToken, *token);
        }
    }
}

// The channel's folder must be the user's alone: anyone else who can make
// or replace the socket there takes the hand-over and the paths it carries.
TEST(InstanceFolder, OnlyAFolderOfTheUsersOwnThatOthersCannotEnter)
{
    QTemporaryDir root;
    const auto make = [&](const char *name, mode_t mode) {
        const QString path = root.filePath(QLatin1String(name));
        const QByteArray native = QFile::encodeName(path);
        ::mkdir(native.constData(), 0700);
        ::chmod(native.constData(), mode);
        return path;
    };
    const QString own = make("own", 0700);
    const QString someoneElses = make("someone-elses", 0700);
    const bool asRoot = getuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(someoneElses).constData(), 65534, 65534), 0);
    }
    QFile::link(own, root.filePath(QStringLiteral("link")));
    QFile plain(root.filePath(QStringLiteral("file")));
    plain.open(QIODevice::WriteOnly);
    // clang-format off
    const struct {
        QString folder;
        const char *problem; // how the reason starts after the folder; empty for none
    } cases[] = {
        {own, ""},
        {make("group", 0750), " is open to other users (mode 750"},
        {make("everyone", 0777), " is open to other users (mode 777"},
        {make("sticky", 01777), " is open to other users (mode 1777"},
        {root.filePath(QStringLiteral("link")), " is not a folder"},
        {plain.fileName(), " is not a folder"},
        {root.filePath(QStringLiteral("missing")), " cannot be read"},
        {someoneElses, asRoot ? " belongs to another user" : ""},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QString problem = InstanceChannel::privacyProblem(c.folder);
        EXPECT_EQ(problem.isEmpty(), !*c.problem) << c.folder.toStdString() << ": " << problem.toStdString();
        EXPECT_TRUE(problem.isEmpty() || problem.startsWith(c.folder + QLatin1String(c.problem)))
            << problem.toStdString();
    }

    // The same checks decide the socket path, from the session's folder or
    // from the one made in the temporary folder.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), temporary = qgetenv("TMPDIR");
    QString problem;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root.filePath(QStringLiteral("everyone"))));
    EXPECT_EQ(InstanceChannel::defaultPath(&problem), QString());
    EXPECT_TRUE(problem.contains(QLatin1String("mode 777"))) << problem.toStdString();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
    EXPECT_TRUE(InstanceChannel::defaultPath(&problem).startsWith(own + QLatin1String("/pintora-")));
    EXPECT_EQ(problem, QString());
    const QString deep = make(QByteArray(100, 'd').constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    EXPECT_EQ(InstanceChannel::defaultPath(&problem), QString());
    EXPECT_TRUE(problem.contains(QLatin1String("longer than 107 bytes"))) << problem.toStdString();
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(root.path()));
    const QString premade = root.filePath(QStringLiteral("pintora-%1").arg(getuid()));
    ::mkdir(QFile::encodeName(premade).constData(), 0777);
    ::chmod(QFile::encodeName(premade).constData(), 0777);
    EXPECT_EQ(InstanceChannel::runtimeFolder(&problem), QString());
    EXPECT_TRUE(problem.startsWith(premade + QLatin1String(" is open to other users"))) << problem.toStdString();
    ::chmod(QFile::encodeName(premade).constData(), 0700);
    EXPECT_EQ(InstanceChannel::runtimeFolder(&problem), premade);
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (runtime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", temporary);
    if (temporary.isNull())
        qunsetenv("TMPDIR");
}

TEST_F(InstanceChannelTest, ARefusalReachesTheTerminalWithoutControlCharacters)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance([](const InstanceRequest &, const InstanceChannel::Reply &reply) {
        reply(QStringLiteral("\x1b]0;owned\x07\x1b[2J bad\u009b image\r"));
    }));
    QString reason;
    EXPECT_EQ(handOver(InstanceRequest{InstanceRequest::Kind::openFile, QStringLiteral("/a.png"), {}}, &reason),
              InstanceChannel::Outcome::refused);
    EXPECT_EQ(reason, QStringLiteral("]0;owned[2J bad image"));
}

// Many clients at once, more than the descriptors left: those over the limit
// are turned away, and the server still answers once they are gone.
TEST_F(InstanceChannelTest, AFloodOfConnectionsLeavesTheServerListening)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    rlimit original{};
    getrlimit(RLIMIT_NOFILE, &original);
    int open = 0;
    for (int fd = 0; fd < 4096; ++fd)
        open += fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    int release[2];
    ASSERT_EQ(pipe(release), 0);
    const pid_t flood = fork();
    if (flood == 0) {
        const QByteArray target = QFile::encodeName(path());
        for (int i = 0; i < 300; ++i) {
            const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, target.constData(), std::size_t(target.size()));
            ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
        char done;
        (void)!read(release[0], &done, 1); // held until the parent has served them
        _exit(0);
    }
    // Room for a few more descriptors than are open: fewer than the clients.
    rlimit tight = original;
    tight.rlim_cur = rlim_t(open + 6);
    setrlimit(RLIMIT_NOFILE, &tight);
    QTest::qWait(1500);
    (void)!write(release[1], "x", 1);
    waitpid(flood, nullptr, 0);
    setrlimit(RLIMIT_NOFILE, &original);
    ::close(release[0]);
    ::close(release[1]);
    EXPECT_EQ(handOver(InstanceRequest{}), InstanceChannel::Outcome::done);
    EXPECT_EQ(handled.size(), 1u);
}

// More hand-overs, one after another, than clients are served at once: a
// client gone leaves room for the next.
TEST_F(InstanceChannelTest, ASecondChannelOnThePathHandsOverAgainAndAgain)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    InstanceChannel second(path());
    EXPECT_FALSE(second.becomeRunningInstance(answer));
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(handOver(InstanceRequest{InstanceRequest::Kind::openFile, QStringLiteral("/a.png"), {}}),
                  InstanceChannel::Outcome::done)
            << "hand-over " << i;
    }
    EXPECT_EQ(handled, std::vector<QString>(40, QStringLiteral("/a.png")));
}

// A running instance waits for a client without a clock: the event loop
// sleeps, and wakes for the one timer of this test.
TEST_F(InstanceChannelTest, AnIdleServerLetsTheProgramSleep)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    QCoreApplication::processEvents();
    int wakeups = 0;
    const QMetaObject::Connection counting
        = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] { ++wakeups; });
    QEventLoop idle;
    QTimer::singleShot(3500, &idle, &QEventLoop::quit);
    idle.exec();
    QObject::disconnect(counting);
    EXPECT_LE(wakeups, 2);
}

// Its socket taken away (Qt removes it when an accept fails): made again.
TEST_F(InstanceChannelTest, ASocketRemovedIsMadeAgain)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    ASSERT_TRUE(QFile::remove(path()));
    EXPECT_TRUE(eventually([this] { return QFile::exists(path()); }, 10000));
    EXPECT_EQ(handOver(InstanceRequest{}), InstanceChannel::Outcome::done);
}

TEST_F(InstanceChannelTest, GarbageOnTheSocketIsIgnored)
{
    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    for (const QByteArray &garbage : {QByteArray("hello\n"), QByteArray(100000, 'x'), QByteArray("open \n")}) {
        QLocalSocket intruder;
        intruder.connectToServer(path());
        ASSERT_TRUE(intruder.waitForConnected(1000));
        intruder.write(garbage);
        intruder.flush();
        EXPECT_TRUE(eventually([&] { return intruder.state() == QLocalSocket::UnconnectedState; }, 3000))
            << garbage.left(20).toStdString();
    }
    EXPECT_TRUE(handled.empty());
    EXPECT_EQ(handOver(InstanceRequest{}), InstanceChannel::Outcome::done); // still serving
}

TEST_F(InstanceChannelTest, WhatADeadInstanceLeftDoesNotBlockANewOne)
{
    // A child takes the lock and the socket, then dies without cleaning up.
    const pid_t child = fork();
    if (child == 0) {
        auto *dying = new InstanceChannel(path());
        _exit(dying->becomeRunningInstance({}) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(QFile::exists(path()));
    EXPECT_EQ(handOver(InstanceRequest{}, nullptr, 300), InstanceChannel::Outcome::unanswered);

    InstanceChannel running(path());
    ASSERT_TRUE(running.becomeRunningInstance(answer));
    EXPECT_EQ(handOver(InstanceRequest{}), InstanceChannel::Outcome::done);
}

} // namespace pintora
