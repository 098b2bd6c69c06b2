#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pintora {

// What a second launch asks of the running instance.
struct InstanceRequest {
    enum class Kind { click, openFile };
    Kind kind = Kind::click;
    QString file; // for openFile

    // One line of UTF-8: "click" or "open <path>".
    QByteArray encoded() const;
    // Nothing for a line that is no request.
    static std::optional<InstanceRequest> decoded(const QByteArray &line);
};

// The one instance per user and display: the first launch takes a lock and
// listens on a local socket in the user's runtime folder; a later launch
// finds the lock held and hands its request over the socket. A lock or socket
// left by an instance that died does not count.
class InstanceChannel : public QObject
{
    Q_OBJECT

public:
    // Answers a request: an empty string when done, else why not.
    using Handler = std::function<QString(const InstanceRequest &request)>;

    // `path`: the socket's; the lock sits beside it.
    explicit InstanceChannel(const QString &path, QObject *parent = nullptr);
    ~InstanceChannel() override;

    // The user's own folder for sockets: the session's runtime folder, or one
    // made for this user in the temporary folder (and only if it is theirs).
    static QString runtimeFolder();
    // The socket path for this user and display.
    static QString defaultPath();

    // Takes the lock and starts listening: false when another instance
    // holds the lock, true when this one runs from now on.
    bool becomeRunningInstance(Handler handler);

    enum class Outcome { done, refused, unanswered };
    // Hands `request` to the running instance, waiting at most `timeoutMs`;
    // `reason` gets a refusal's reason.
    Outcome handOver(const InstanceRequest &request, QString *reason, int timeoutMs = 5000) const;

private:
    void serve();

    QString m_path;
    QLockFile m_lock;
    QLocalServer m_server;
    Handler m_handler;
};

} // namespace pintora
