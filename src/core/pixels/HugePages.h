#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstddef>
#include <memory>
#include <vector>

namespace pintora {

// An uninitialised image whose pixels lie in memory the kernel is asked to
// back with 2 MiB pages: filling 56 MiB of fresh 4 KiB pages costs a fault
// each, which on a virtual machine is most of a decode. A plain QImage where
// the image is small or the aligned memory cannot be had; null when no
// memory can.
QImage hugePageImage(const QSize &size, QImage::Format format);

// As above, but in memory mapped afresh, all zeros, and unmapped with the
// image, never kept for the next: for readers that may leave pixels
// unwritten. Null where the image is under 2 MiB or the memory cannot be had.
QImage zeroedHugePageImage(const QSize &size, QImage::Format format);

// A copy of `area` of the image (clipped to it) in memory as above, with
// its colour table and pixel ratio; null when it cannot be allocated.
QImage hugePageCopy(const QImage &image, const QRect &area);

// Small images carved out of blocks of 2 MiB pages, so that a new one costs
// no page faults once its block is in: for the pixels each mark keeps, made
// one at a time. On a machine whose page faults are slow, fresh 4 KiB pages
// cost an edit more than its work. The room of an image that goes is carved
// again; a block goes with the last image in it (but the one carved from
// last, kept for the next). Images may go on any thread, but only one thread
// carves.
class PixelArena
{
public:
    PixelArena() = default;
    PixelArena(PixelArena &&) noexcept = default;
    PixelArena &operator=(PixelArena &&) noexcept = default;

    // Uninitialised; null when no memory can be had.
    QImage image(const QSize &size, QImage::Format format);
    // Makes the first block now and has its pages brought in on another
    // thread, ahead of the images carved from it.
    void prepare();

private:
    struct Block;
    // The block carved from last, and the others that hold images.
    std::shared_ptr<Block> m_block;
    std::vector<std::weak_ptr<Block>> m_older;
};

} // namespace pintora
