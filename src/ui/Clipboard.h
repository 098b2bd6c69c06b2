#pragma once

#include <QByteArray>
#include <QImage>

#include <future>

namespace pintora {

// PNG bytes that may still be being encoded; empty when encoding failed.
using PendingPng = std::shared_future<QByteArray>;

// Bytes known already, as a PendingPng.
PendingPng readyPng(const QByteArray &bytes);

// Clears the clipboard and puts the image on it, as PNG bytes and as image
// data, so that this process and other programs can read it. Returns at
// once: the PNG is encoded on a worker, and a program that asks for it
// before it is done waits for it. Returns those bytes to come.
PendingPng putImageOnClipboard(const QImage &image);

// Any image the clipboard offers (image data, or bytes of a readable image
// type); null when there is none.
QImage imageFromClipboard();

} // namespace pintora
