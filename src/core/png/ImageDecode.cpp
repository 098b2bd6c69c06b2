#include "core/png/ImageDecode.h"

#include "core/png/PngReader.h"

#include <QBuffer>
#include <QImageReader>

#include <new>

namespace pintora {

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
        QImage image = reader.read();
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
