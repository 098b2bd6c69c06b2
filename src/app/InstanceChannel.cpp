#include "app/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// The bytes the percent escapes stand for; nothing for a malformed escape
// or a byte no request line holds (a space or a control character).
std::optional<QByteArray> unescaped(const QByteArray &escaped)
{
    const auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0'
            : c >= 'A' && c <= 'F'  ? c - 'A' + 10
            : c >= 'a' && c <= 'f'  ? c - 'a' + 10
                                    : -1;
    };
    QByteArray bytes;
    bytes.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c == '%') {
            if (i + 2 >= escaped.size())
                return std::nullopt;
            const int high = hex(escaped[i + 1]), low = hex(escaped[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.append(char(high << 4 | low));
            i += 2;
        } else if (c > ' ' && c < 0x7f) {
            bytes.append(c);
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

// `text` without control characters (C0, DEL and C1), for a terminal.
QString printable(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f-\\x9f]")));
    return text;
}

} // namespace

QByteArray InstanceRequest::encoded() const
{
    QByteArray line = kind == Kind::click ? QByteArray("click") : "open " + file.toUtf8().toPercentEncoding("/");
    if (!activationToken.isEmpty())
        line += " token=" + activationToken.toPercentEncoding();
    return line + '\n';
}

bool InstanceRequest::isActivationToken(const QByteArray &token)
{
    return !token.isEmpty() && token.size() <= longestActivationToken
        && std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

std::optional<InstanceRequest> InstanceRequest::decoded(const QByteArray &line)
{
    QList<QByteArray> words = line.split(' ');
    InstanceRequest request;
    if (words.size() > 1 && words.last().startsWith("token=")) {
        const std::optional<QByteArray> token = unescaped(words.takeLast().mid(6));
        if (!token || !isActivationToken(*token))
            return std::nullopt;
        request.activationToken = *token;
    }
    if (words == QList<QByteArray>{"click"})
        return request;
    if (words.size() != 2 || words[0] != "open" || !words[1].startsWith('/'))
        return std::nullopt;
    const std::optional<QByteArray> path = unescaped(words[1]);
    if (!path || path->contains('\0'))
        return std::nullopt;
    request.kind = Kind::openFile;
    request.file = QString::fromUtf8(*path);
    if (request.file.toUtf8() != *path) // well-formed UTF-8 only
        return std::nullopt;
    return request;
}

InstanceChannel::InstanceChannel(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_lock(path + QStringLiteral(".lock"))
{
    // Only a dead holder makes the lock stale, however long it was held.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::serve);
    connect(&m_socketWatch, &QFileSystemWatcher::fileChanged, this, &InstanceChannel::keepListening);
}

InstanceChannel::~InstanceChannel()
{
    // Clients that go with the server are no reason to listen again.
    for (QLocalSocket *client : m_server.findChildren<QLocalSocket *>())
        client->disconnect(this);
}

QString InstanceChannel::privacyProblem(const QString &folder)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("%1 cannot be read").arg(folder);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (info.st_uid != getuid())
        return QStringLiteral("%1 belongs to another user").arg(folder);
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("%1 is open to other users (mode %2, not 700)")
            .arg(folder)
            .arg(info.st_mode & 07777, 0, 8);
    return {};
}

QString InstanceChannel::runtimeFolder(QString *problem)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QDir::tempPath() + QStringLiteral("/pintora-") + QString::number(getuid());
        ::mkdir(QFile::encodeName(folder).constData(), 0700); // an existing one is checked like any other
    }
    const QString why = privacyProblem(folder);
    if (problem)
        *problem = why;
    return why.isEmpty() ? folder : QString();
}

QString InstanceChannel::defaultPath(QString *problem)
{
    const QString folder = runtimeFolder(problem);
    if (folder.isEmpty())
        return {};
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString path = folder + QStringLiteral("/pintora-") + (display.isEmpty() ? QStringLiteral("none") : display)
        + QStringLiteral(".socket");
    if (std::size_t(QFile::encodeName(path).size()) >= sizeof(sockaddr_un::sun_path)) {
        if (problem)
            *problem = QStringLiteral("the socket path %1 is longer than %2 bytes")
                           .arg(path)
                           .arg(sizeof(sockaddr_un::sun_path) - 1);
        return {};
    }
    return path;
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
    m_socketWatch.addPath(m_path);
    return true;
}

void InstanceChannel::keepListening()
{
    // Listening, and on the socket that is there: nothing to do. Nothing
    // checks this on a clock, so that an idle program sleeps.
    if (m_server.isListening() && QFileInfo(m_path).exists()) {
        if (!m_socketWatch.files().contains(m_path))
            m_socketWatch.addPath(m_path);
        return;
    }
    m_server.close();
    if (m_server.listen(m_path)) {
        m_socketWatch.addPath(m_path);
        return;
    }
    // Still out of descriptors, most likely: tried again shortly, only
    // while this lasts.
    QTimer::singleShot(1000, this, &InstanceChannel::keepListening);
}

InstanceChannel::Outcome InstanceChannel::handOver(const InstanceRequest &request, QString *reason, int timeoutMs) const
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
        *reason = printable(QString::fromUtf8(answer->startsWith("error ") ? answer->mid(6) : *answer));
    return Outcome::refused;
}

void InstanceChannel::serve()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        if (m_clients >= maxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_clients;
        connect(socket, &QObject::destroyed, this, [this] {
            --m_clients;
            keepListening();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that says nothing is let go.
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        idle->start(2000);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
    }
    keepListening();
}

void InstanceChannel::answer(QLocalSocket *socket)
{
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
    // It spoke: the answer may take its time (a large file decodes).
    for (QTimer *idle : socket->findChildren<QTimer *>())
        idle->stop();
    const QPointer<QLocalSocket> client(socket);
    const Reply reply = [client](const QString &refusal) {
        if (!client)
            return; // it went meanwhile
        client->write(refusal.isEmpty() ? QByteArray("ok\n") : "error " + refusal.toUtf8().replace('\n', ' ') + '\n');
        client->disconnectFromServer();
    };
    if (m_handler)
        m_handler(*request, reply);
    else
        reply({});
}

} // namespace pintora
