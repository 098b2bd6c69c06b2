#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>

namespace pintora {

// Getting images out of the editor: cut-outs, PNG bytes and files.

// The whole pixels a bitmap-space rectangle touches, clipped to the image, as
// a new image of one point per pixel; null when nothing of it is on the image.
QImage cutOut(const QImage &image, const QRectF &bitmapRect);

// The pixels of `area` (within the image) seen in place: an image over
// `image`'s own rows, with its stride, that copies nothing. Valid while
// `image` lives unchanged, so keep it alive alongside. Formats of less than
// a byte a pixel, whose rows cannot start mid-byte, get a copy.
QImage regionView(const QImage &image, const QRect &area);

// PNG bytes of the image; empty when it cannot be encoded.
QByteArray encodePng(const QImage &image);

// `path`, with ".png" added unless it ends so (in any case): PNG bytes
// under another type's name would mislead every program that opens them.
QString withPngSuffix(const QString &path);

// Writes the image as a PNG file and reports it on the console. The file is
// written beside the target and renamed over it, so an existing file is either
// replaced whole or left as it was. Returns why it failed, or nothing.
QString saveImageAsPng(const QImage &image, const QString &path);

// The format a file name's suffix asks for, in any case: "jpg" for .jpg and
// .jpeg, "webp" for .webp, else "png".
QString imageFormatOf(const QString &path);

// `path` as it is when its suffix names a format Save writes, else with
// ".png" added: PNG bytes under another type's name would mislead.
QString withImageSuffix(const QString &path);

// Writes the image in the format its name asks for, as saveImageAsPng does:
// JPEG at quality 90 over white (it has no transparency), WebP lossless.
QString saveImage(const QImage &image, const QString &path);

} // namespace pintora
