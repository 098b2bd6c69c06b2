#include "app/InstanceChannel.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
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
        auto outcome = std::async(std::launch::async, [&] {
            return InstanceChannel(path()).handOver(request, reason, timeoutMs);
        });
        while (outcome.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return outcome.get();
    }

    QTemporaryDir folder;
    std::vector<QString> handled;
    InstanceChannel::Handler answer = [this](const InstanceRequest &request) {
        handled.push_back(request.kind == InstanceRequest::Kind::click ? QStringLiteral("click") : request.file);
        return request.file.endsWith(QLatin1String(".txt")) ? QStringLiteral("Unsupported image format") : QString();
    };
};

} // namespace

TEST(InstanceRequest, OnlyWellFormedLinesAreRequests)
{
    const std::pair<QByteArray, std::optional<QString>> lines[] = {
        {"click", QString()},
        {"open /home/u/a b.png", QStringLiteral("/home/u/a b.png")},
        {"open /home/u/\xc3\xa9t\xc3\xa9.png", QStringLiteral("/home/u/été.png")},
        {"open relative.png", std::nullopt},
        {"open /a\x01" "b", std::nullopt},
        {"open /\xff\xfe", std::nullopt},
        {"", std::nullopt},
        {"CLICK", std::nullopt},
        {"GET / HTTP/1.1", std::nullopt},
    };
    for (const auto &[line, file] : lines) {
        const std::optional<InstanceRequest> request = InstanceRequest::decoded(line);
        ASSERT_EQ(request.has_value(), file.has_value()) << line.toStdString();
        if (request) {
            EXPECT_EQ(request->file, *file);
            EXPECT_EQ(InstanceRequest::decoded(request->encoded().chopped(1))->file, *file);
        }
    }
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
        QTRY_COMPARE_WITH_TIMEOUT(intruder.state(), QLocalSocket::UnconnectedState, 3000);
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
