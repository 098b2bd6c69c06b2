#include "app/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace pintora {
namespace {

// Longer lines than a path can be are not read.
constexpr qsizetype longestLine = 64 * 1024;

// Reads up to a line feed, waiting at most until `deadline`.
std::optional<QByteArray> readLine(QLocalSocket &socket, QDeadlineTimer deadline)
{
    QByteArray bytes;
    while (!bytes.contains('\n')) {
        if (bytes.size() > longestLine)
            return std::nullopt;
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
        bytes += socket.readAll();
    }
    return bytes.left(bytes.indexOf('\n'));
}

} // namespace

QByteArray InstanceRequest::encoded() const
{
    return kind == Kind::click ? QByteArray("click\n") : "open " + file.toUtf8() + '\n';
}

std::optional<InstanceRequest> InstanceRequest::decoded(const QByteArray &line)
{
    if (line == "click")
        return InstanceRequest{};
    if (line.startsWith("open /")) {
        const QString file = QString::fromUtf8(line.mid(5));
        // Well-formed UTF-8 only, and no control characters in the path.
        if (file.toUtf8() == line.mid(5) && !file.contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f]"))))
            return InstanceRequest{Kind::openFile, file};
    }
    return std::nullopt;
}

InstanceChannel::InstanceChannel(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_lock(path + QStringLiteral(".lock"))
{
    // Only a dead holder makes the lock stale, however long it was held.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::serve);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::runtimeFolder()
{
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QFileInfo(session).isDir())
        return session;
    const QString own = QDir::tempPath() + QStringLiteral("/pintora-") + QString::number(getuid());
    QDir().mkdir(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo info(own);
    if (info.isDir() && !info.isSymLink() && info.ownerId() == getuid())
        return own;
    // Someone else's: a folder of this process's own, so no hand-over, but no harm either.
    const QString alone = own + QStringLiteral("-") + QString::number(getpid());
    QDir().mkdir(alone, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return alone;
}

QString InstanceChannel::defaultPath()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return runtimeFolder() + QStringLiteral("/pintora-") + (display.isEmpty() ? QStringLiteral("none") : display)
        + QStringLiteral(".socket");
}

bool InstanceChannel::becomeRunningInstance(Handler handler)
{
    // Only a live holder of the lock is another instance; a lock that cannot
    // be taken for other reasons leaves this one running on its own.
    if (!m_lock.tryLock(0) && m_lock.error() == QLockFile::LockFailedError)
        return false;
    m_handler = std::move(handler);
    // With access options Qt makes the socket aside and renames it into
    // place, over one an instance that died may have left.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_path);
    return true;
}

InstanceChannel::Outcome InstanceChannel::handOver(const InstanceRequest &request, QString *reason,
                                                   int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may still be starting: try until the deadline.
    for (;;) {
        socket.connectToServer(m_path);
        if (socket.waitForConnected(int(std::min<qint64>(deadline.remainingTime(), 500))))
            break;
        if (deadline.hasExpired())
            return Outcome::unanswered;
        QThread::msleep(50);
    }
    socket.write(request.encoded());
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return Outcome::unanswered;
    const std::optional<QByteArray> answer = readLine(socket, deadline);
    if (!answer)
        return Outcome::unanswered;
    if (*answer == "ok")
        return Outcome::done;
    if (reason)
        *reason = QString::fromUtf8(answer->startsWith("error ") ? answer->mid(6) : *answer);
    return Outcome::refused;
}

void InstanceChannel::serve()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that says nothing is let go.
        QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > longestLine)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine().chopped(1);
            const std::optional<InstanceRequest> request = InstanceRequest::decoded(line);
            if (!request) {
                socket->abort(); // not ours: ignored
                return;
            }
            const QString refusal = m_handler ? m_handler(*request) : QString();
            socket->write(refusal.isEmpty() ? QByteArray("ok\n") : "error " + refusal.toUtf8().replace('\n', ' ') + '\n');
            socket->disconnectFromServer();
        });
    }
}

} // namespace pintora
