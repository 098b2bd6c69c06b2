#pragma once

#include <QImage>
#include <QSize>

namespace pintora {

// An uninitialised image whose pixels lie in memory the kernel is asked to
// back with 2 MiB pages: filling 56 MiB of fresh 4 KiB pages costs a fault
// each, which on a virtual machine is most of a decode. A plain QImage where
// the image is small or the aligned memory cannot be had; null when no
// memory can.
QImage hugePageImage(const QSize &size, QImage::Format format);

} // namespace pintora
