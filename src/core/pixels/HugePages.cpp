#include "core/pixels/HugePages.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace pintora {

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

// The last large buffer freed, kept for the next image of its size: a new
// screenshot is most often the size of the one before it, and giving its
// memory back to the kernel only to fault it in again costs more than a
// decode. Parked with MADV_FREE, so that the kernel may still take the
// pages under memory pressure (they then come back as zeros, which an
// uninitialised image does not mind). Process-wide, as the allocator is.
class SpareBuffer
{
public:
    // Never destroyed: images freed by other statics' destructors at exit
    // still park here.
    static SpareBuffer &shared()
    {
        static auto *spare = new SpareBuffer;
        return *spare;
    }

    void *take(std::size_t bytes)
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (!m_memory || m_bytes != bytes)
            return nullptr;
        return std::exchange(m_memory, nullptr);
    }

    void park(void *memory, std::size_t bytes)
    {
        constexpr std::size_t largest = std::size_t(256) << 20;
        if (bytes > largest) {
            std::free(memory);
            return;
        }
        madvise(memory, bytes, MADV_FREE);
        const std::lock_guard<std::mutex> hold(m_lock);
        std::free(std::exchange(m_memory, memory));
        m_bytes = bytes;
    }

private:
    SpareBuffer() = default;

    std::mutex m_lock;
    void *m_memory = nullptr;
    std::size_t m_bytes = 0;
};

struct LargeBuffer {
    void *memory;
    std::size_t bytes;
};

} // namespace

QImage hugePageImage(const QSize &size, QImage::Format format)
{
    constexpr std::size_t page = hugePage;
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0)
        return {};
    const qint64 rowBytes = (qint64(size.width()) * depth + 31) / 32 * 4;
    const qint64 bytes = rowBytes * size.height();
    if (bytes < qint64(page) || rowBytes > std::numeric_limits<qsizetype>::max() / size.height())
        return QImage(size, format);
    const std::size_t rounded = (std::size_t(bytes) + page - 1) / page * page;
    void *pixels = SpareBuffer::shared().take(rounded);
    if (!pixels) {
        pixels = std::aligned_alloc(page, rounded);
        if (!pixels)
            return QImage(size, format);
        madvise(pixels, rounded, MADV_HUGEPAGE); // a hint: refused, the pages are small
    }
    LargeBuffer *buffer = nullptr;
    try {
        buffer = new LargeBuffer{pixels, rounded};
    } catch (const std::bad_alloc &) {
        std::free(pixels);
        return {};
    }
    return QImage(
        static_cast<uchar *>(pixels), size.width(), size.height(), qsizetype(rowBytes), format,
        [](void *info) {
            const std::unique_ptr<LargeBuffer> freed(static_cast<LargeBuffer *>(info));
            SpareBuffer::shared().park(freed->memory, freed->bytes);
        },
        buffer);
}

QImage hugePageCopy(const QImage &image, const QRect &area)
{
    const QRect inside = area & image.rect();
    if (inside.isEmpty() || image.depth() < 8)
        return image.copy(inside); // rows of bits cannot start mid-byte
    QImage copy = hugePageImage(inside.size(), image.format());
    if (copy.isNull())
        return {};
    const qsizetype offset = qsizetype(inside.x()) * image.depth() / 8;
    const auto rowBytes = std::size_t(qsizetype(inside.width()) * image.depth() / 8);
    for (int y = 0; y < inside.height(); ++y)
        std::memcpy(copy.scanLine(y), image.constScanLine(inside.y() + y) + offset, rowBytes);
    copy.setColorTable(image.colorTable());
    copy.setDevicePixelRatio(image.devicePixelRatio());
    return copy;
}

struct PixelArena::Block {
    explicit Block(std::size_t bytes)
        : memory(std::aligned_alloc(hugePage, bytes))
    {
        if (memory)
            madvise(memory, bytes, MADV_HUGEPAGE); // a hint, as above
    }
    ~Block() { std::free(memory); }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;

    static constexpr std::size_t size = std::size_t(4) << 20;
    void *memory;
};

bool PixelArena::newBlock()
{
    try {
        auto block = std::make_shared<Block>(Block::size);
        if (!block->memory)
            return false;
        m_block = std::move(block);
        m_used = 0;
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

void PixelArena::prepare()
{
    if (m_block || !newBlock())
        return;
    for (std::size_t at = 0; at < Block::size; at += hugePage)
        static_cast<volatile uchar *>(m_block->memory)[at] = 0;
}

QImage PixelArena::image(const QSize &size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0)
        return {};
    // Rows on cache lines of their own, as QImage's would be.
    const std::size_t rowBytes = (std::size_t(size.width()) * std::size_t(depth) + 511) / 512 * 64;
    const std::size_t bytes = rowBytes * std::size_t(size.height());
    if (bytes > Block::size / 4)
        return hugePageImage(size, format); // large: pages of its own
    if ((!m_block || m_used + bytes > Block::size) && !newBlock())
        return QImage(size, format);
    auto *pixels = static_cast<uchar *>(m_block->memory) + m_used;
    m_used += bytes;
    auto *holder = new std::shared_ptr<Block>(m_block);
    return QImage(
        pixels, size.width(), size.height(), qsizetype(rowBytes), format,
        [](void *block) { delete static_cast<std::shared_ptr<Block> *>(block); }, holder);
}

} // namespace pintora
