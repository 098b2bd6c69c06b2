#include "core/Console.h"

#include <QRectF>
#include <QSize>

#include <charconv>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace pintora {

namespace console {
namespace {

// The one sink of the process; empty means standard output.
Sink &currentSink()
{
    static Sink sink;
    return sink;
}

void writeToStdout(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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
