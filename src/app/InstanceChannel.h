#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalSocket;

#include <functional>
#include <memory>
#include <optional>

namespace pintora {

// What a second launch asks of the running instance.
struct InstanceRequest {
    enum class Kind { click, openFile };
    Kind kind = Kind::click;
    QString file; // for openFile
    // The launcher's Wayland activation token, which lets the running
    // instance raise its window; printable ASCII, or empty.
    QByteArray activationToken;

    // One line of ASCII: "click", or "open " and the path's UTF-8 with every
    // byte but letters, digits, "/", "-", ".", "_" and "~" percent-escaped, so
    // that any character but NUL goes over exactly; then, with a token,
    // " token=" and the token escaped alike.
    QByteArray encoded() const;
    // Nothing for a line that is no request.
    static std::optional<InstanceRequest> decoded(const QByteArray &line);

    // Whether `token` can be an activation token: printable ASCII, not
    // longer than any compositor makes them.
    static bool isActivationToken(const QByteArray &token);
    static constexpr qsizetype longestActivationToken = 1024;
};

// The one instance per user and display: the first launch takes a lock and
// listens on a local socket in the user's runtime folder; a later launch
// finds the lock held and hands its request over the socket. A lock or socket
// left by an instance that died does not count.
class InstanceChannel : public QObject
{
    Q_OBJECT

public:
    // Answers a request through `reply`, at once or later on this thread:
    // an empty string when done, else why not.
    using Reply = std::function<void(const QString &refusal)>;
    using Handler = std::function<void(const InstanceRequest &request, const Reply &reply)>;

    // `path`: the socket's; the lock sits beside it.
    explicit InstanceChannel(const QString &path, QObject *parent = nullptr);
    ~InstanceChannel() override;

    // Why `folder` is not this user's alone (a real folder they own, that
    // only they may enter), or nothing.
    static QString privacyProblem(const QString &folder);
    // The user's own folder for sockets: the session's runtime folder, or
    // one made for this user in the temporary folder. Empty, with the reason
    // in `problem`, when that folder is not the user's alone.
    static QString runtimeFolder(QString *problem = nullptr);
    // The socket path for this user and display; empty, with the reason in
    // `problem`, when there is no private folder or the path is too long
    // for a local socket.
    static QString defaultPath(QString *problem = nullptr);

    // Takes the lock and starts listening: false when another instance
    // holds the lock, true when this one runs from now on.
    bool becomeRunningInstance(Handler handler);

    enum class Outcome { done, refused, unanswered };
    // Hands `request` to the running instance, waiting at most `timeoutMs`;
    // `reason` gets a refusal's reason, without control characters.
    Outcome handOver(const InstanceRequest &request, QString *reason, int timeoutMs = 5000) const;

    // Clients served at once; more are turned away at once, so that a flood
    // of connections cannot use up the process's descriptors.
    static constexpr int maxClients = 16;

private:
    void serve();
    void answer(QLocalSocket *socket);
    void keepListening();

    QString m_path;
    QLockFile m_lock;
    QLocalServer m_server;
    Handler m_handler;
    int m_clients = 0;
    // Qt closes the server, removing its socket, when an accept fails (as it
    // does while the process is out of descriptors): the socket's going is
    // watched, and so is each client's, which frees a descriptor.
    QFileSystemWatcher m_socketWatch;
};

} // namespace pintora
