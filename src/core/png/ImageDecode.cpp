#include "core/png/ImageDecode.h"

#include "core/pixels/HugePages.h"
#include "core/png/PngReader.h"

#include <QBuffer>
#include <QImageReader>

#include <new>

namespace pintora {

namespace {

// Memory of large pages for what `reader` is about to read, as our own
// reader's: Qt's readers fill an image they are given when it has the size
// and format they read. Its PNG reader refuses a file that ends early, so
// the last image's parked memory may be filled; others (BMP) call such a
// file read and leave the rest as they found it, so they get zeros, lest a
// previous image show there. Null where the header says nothing or more
// than the reader would allocate.
QImage hugePageImageFor(QImageReader &reader)
{
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 limitBits = qint64(reader.allocationLimit()) << 23; // 0: none set, and none made here
    if (bits <= 0 || qint64(size.width()) * size.height() > limitBits / bits)
        return {};
    return reader.format() == "png" ? hugePageImage(size, format) : zeroedHugePageImage(size, format);
}

} // namespace

bool looksLikePng(const QByteArray &bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n");
}

QImage decodeImage(const QByteArray &bytes, QString *reason)
{
    try {
        if (looksLikePng(bytes)) {
            PngRead png = readPng(bytes);
            if (png.outcome == PngRead::Outcome::read)
                return std::move(png.image);
            if (png.outcome == PngRead::Outcome::malformed) {
                if (reason)
                    *reason = png.reason;
                return {};
            }
        }
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        QImage image = hugePageImageFor(reader);
        if (!reader.read(&image))
            image = QImage();
        if (image.isNull() && reason)
            *reason = reader.errorString();
        return image;
    } catch (const std::bad_alloc &) {
        if (reason)
            *reason = QStringLiteral("not enough memory");
        return {};
    }
}

} // namespace pintora
