#include "core/Console.h"

#include <QRectF>
#include <QSize>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <system_error>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pintora {

namespace console {
namespace {

// The one sink of the process; empty means standard output.
Sink &currentSink()
{
    static Sink sink;
    return sink;
}

// Standard output, written so that a reader that does not keep up costs
// lines, never the program: a pipe or terminal gets a description of its own
// that does not block (the shared one stays as the shell left it), a socket
// is sent to without waiting, and a file is simply written.
class Output
{
public:
    // The description to write to, made anew when standard output has been
    // pointed elsewhere since.
    void follow()
    {
        struct stat info = {};
        if (fstat(STDOUT_FILENO, &info) != 0 || (info.st_dev == m_device && info.st_ino == m_inode))
            return;
        m_device = info.st_dev;
        m_inode = info.st_ino;
        if (m_fd != STDOUT_FILENO)
            ::close(m_fd);
        m_fd = STDOUT_FILENO;
        m_socket = S_ISSOCK(info.st_mode);
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
            const int own = open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
            if (own >= 0)
                m_fd = own;
        }
    }

    // The whole line, or nothing of it and one more counted as dropped.
    void write(std::string_view line)
    {
        std::string text;
        if (m_dropped > 0)
            text = "⚠️ " + std::to_string(m_dropped) + " console lines dropped: the output was not read\n";
        text.append(line).push_back('\n');
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t written = m_socket
                ? send(m_fd, text.data() + done, text.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL)
                : ::write(m_fd, text.data() + done, text.size() - done);
            if (written > 0) {
                done += std::size_t(written);
                continue;
            }
            if (written < 0 && errno == EINTR)
                continue;
            // A reader that is merely slow gets a moment; once lines are
            // being dropped, a line begun is still finished if it can be.
            pollfd ready{m_fd, POLLOUT, 0};
            const int patience = done > 0 || m_dropped == 0 ? 50 : 0;
            if (written < 0 && errno == EAGAIN && patience > 0 && poll(&ready, 1, patience) > 0)
                continue;
            break;
        }
        if (done == 0)
            ++m_dropped;
        else
            m_dropped = 0;
    }

private:
    int m_fd = STDOUT_FILENO;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_socket = false;
    unsigned long long m_dropped = 0;
};

void writeToStdout(std::string_view line)
{
    static Output output;
    output.follow();
    output.write(line);
}

} // namespace

void writeLine(std::string_view utf8Line)
{
    if (const Sink &sink = currentSink())
        sink(utf8Line);
    else
        writeToStdout(utf8Line);
}

void writeLine(const QString &line)
{
    const QByteArray utf8 = line.toUtf8();
    writeLine(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void surviveClosedOutput()
{
    // Writes then fail with EPIPE instead of raising SIGPIPE; a failed write
    // is a lost line and nothing more.
    std::signal(SIGPIPE, SIG_IGN);
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

std::string formatDouble(double value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";

    constexpr double smallestPlain = 1e-4;
    constexpr double largestPlain = 9007199254740992.0; // 2^53
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= smallestPlain && magnitude <= largestPlain);

    char buffer[64];
    const auto format = plain ? std::chars_format::fixed : std::chars_format::scientific;
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    if (error != std::errc())
        return "nan"; // cannot happen with 64 bytes, but never print garbage
    std::string text(buffer, end);
    if (plain && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::string formatRect(double x, double y, double width, double height)
{
    // Appended piece by piece: GCC 12 warns wrongly about "(" + std::string.
    std::string text(1, '(');
    for (const double value : {x, y, width, height}) {
        if (text.size() > 1)
            text += ", ";
        text += formatDouble(value);
    }
    text += ')';
    return text;
}

std::string formatRect(const QRectF &rect)
{
    return formatRect(rect.x(), rect.y(), rect.width(), rect.height());
}

std::string formatPixelSize(long long width, long long height)
{
    return std::to_string(width) + "\u00d7" + std::to_string(height);
}

std::string formatPixelSize(const QSize &size)
{
    return formatPixelSize(size.width(), size.height());
}

} // namespace console

} // namespace pintora
