#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <future>

namespace pintora {

// PNG bytes that may still be being encoded; empty when encoding failed.
using PendingPng = std::shared_future<QByteArray>;

// Bytes known already, as a PendingPng.
PendingPng readyPng(const QByteArray &bytes);

// What the clipboard holds of an image: its bytes of `type`, which may still
// be being encoded. Bytes only: pixels kept beside the editor's would make
// its first edit copy the whole image.
struct ClipboardImage {
    PendingPng bytes;
    QString type = QStringLiteral("image/png");
};

// Says, on the GUI thread, how the encode of each image put on the clipboard
// with it ended.
class CopyReport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // `encoded` is false when the PNG of an image of `size` could not be
    // made; the clipboard is then back as it was.
    void finished(const QSize &size, bool encoded);
    // Another program (a compositor, a clipboard bridge or manager, a
    // reader) asked the image's offer for its types or data, after it was
    // put on the clipboard.
    void asked();
};

// Clears the clipboard and puts the pixels of `area` of the image (all of
// them when `area` is null) on it, as PNG bytes and as image data, so that
// this process and other programs can read it. Returns at once: the PNG is
// encoded on a worker straight from the image's rows, and a program that
// asks for it before it is done waits for it. A cut-out is made only for a
// reader that asks for image data while the encode runs; after it, image
// data is read from the bytes. Returns those bytes to come.
//
// An encode that fails says so on the console and puts back what the
// clipboard held: Pintora's own earlier offer, or else `previous` (nothing
// when that has no bytes). `report` hears of the end either way, and of the
// offer being asked for.
PendingPng putImageOnClipboard(const QImage &image, const QRect &area = {}, const ClipboardImage &previous = {},
                               CopyReport *report = nullptr);

// The bytes of our own offer while the clipboard holds it; none otherwise.
ClipboardImage ownImageOnClipboard();

// Any image the clipboard offers (image data, or bytes of a readable image
// type); null when there is none.
QImage imageFromClipboard();

} // namespace pintora
