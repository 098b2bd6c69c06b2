#pragma once

#include <QString>

#include <functional>
#include <string>
#include <string_view>

class QRectF;
class QSize;

namespace pintora {

// The console is the app's log: every step it takes writes one line to
// standard output. All lines go through here so that tests can capture them.
namespace console {

using Sink = std::function<void(std::string_view line)>;

// Writes one line (without its line feed) as UTF-8 and flushes it.
void writeLine(std::string_view utf8Line);
void writeLine(const QString &line);
inline void writeLine(const char *utf8Line)
{
    writeLine(std::string_view(utf8Line));
}

// Makes a standard output that goes away (a pipe whose reader quit) cost
// only the lines written to it, not the process: call once at start.
void surviveClosedOutput();

// Replaces where lines go; an empty sink restores standard output.
// Returns the sink that was in place.
Sink setSink(Sink sink);

// A double in the shortest form that reads back as the same double, always
// with a digit after the point in plain decimal ("100.0", "0.1"), and in
// exponent form ("1e-05", "1.5e+20") below 1e-4 and above 2^53.
std::string formatDouble(double value);

// "(x, y, width, height)".
std::string formatRect(double x, double y, double width, double height);
std::string formatRect(const QRectF &rect);

// "640×480".
std::string formatPixelSize(long long width, long long height);
std::string formatPixelSize(const QSize &size);

} // namespace console

} // namespace pintora
