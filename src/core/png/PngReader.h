#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace pintora {

// A PNG read by our own reader on ISA-L's inflate.
struct PngRead {
    enum class Outcome {
        read, // `image` holds it
        malformed, // the bytes are no valid PNG: `reason` says why
        unsupported, // valid, but a case this reader leaves to Qt's (interlace, colour profiles)
    };
    Outcome outcome = Outcome::malformed;
    QImage image;
    QString reason;
};

// Reads `bytes` as a PNG of at most `limit` pixels each way, checking every
// chunk's CRC and the zlib stream's Adler-32 as libpng does. Every colour
// type and depth: grey as Grayscale8 (or 16), RGB as RGB32 (RGBX64 at 16
// bits), palettes as Indexed8 with their transparency, alpha as straight
// ARGB32 (RGBA64 at 16 bits); a tRNS colour key gives alpha.
PngRead readPng(const QByteArray &bytes, QSize limit = QSize(16384, 16384));

} // namespace pintora
