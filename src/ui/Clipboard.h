#pragma once

#include <QByteArray>
#include <QImage>

namespace pintora {

// Clears the clipboard and puts the image on it, as PNG bytes and as image
// data, so that this process and other programs can read it. Returns the PNG
// bytes it offered.
QByteArray putImageOnClipboard(const QImage &image);

// Any image the clipboard offers (image data, or bytes of a readable image
// type); null when there is none.
QImage imageFromClipboard();

} // namespace pintora
