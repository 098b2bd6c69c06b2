#pragma once

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

namespace pintora {

inline QImage solidImage(int width, int height, const QColor &color, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

// An opaque image where neighbouring pixels differ a lot, like screenshot text.
// `image` as an image file of `format` ("PNG", "BMP", …), written by Qt.
inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QImage noiseImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xff000000u | (state >> 8));
        }
    }
    return image;
}

// Writes random pixels over `area` of a 32-bit image: opaque ones, or
// translucent premultiplied ones.
template <typename Random>
void fillWithNoise(QImage &image, const QRect &area, bool translucent, Random &random)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            image.setPixel(x, y, translucent ? qPremultiply(random()) : 0xff000000u | random());
}

// Every channel, alpha included, within `tolerance` levels.
inline ::testing::AssertionResult colorNear(const QColor &actual, const QColor &expected, int tolerance = 1)
{
    const bool near = std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance
        && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
    if (near)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.red() << ", " << actual.green() << ", " << actual.blue()
                                         << ", " << actual.alpha() << "), expected (" << expected.red() << ", "
                                         << expected.green() << ", " << expected.blue() << ", " << expected.alpha()
                                         << ") within " << tolerance;
}

// While it lives, the process can map only `spare` bytes more: allocations
// beyond that fail, as when memory runs out.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(rlim_t spare)
    {
        getrlimit(RLIMIT_AS, &m_original);
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limited = m_original;
        limited.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + spare;
        setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_original); }

private:
    rlimit m_original{};
};

// Handles events until `done` holds, for at most `milliseconds`; whether it
// came to hold. (QtTest's QTRY macros end a test silently under GoogleTest.)
template <typename Condition>
bool eventually(const Condition &done, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Colour `top` at `alpha` over an opaque `bottom`.
inline QColor over(const QColor &top, double alpha, const QColor &bottom)
{
    auto mix = [alpha](int t, int b) { return int(std::lround(alpha * t + (1 - alpha) * b)); };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue()));
}

} // namespace pintora
