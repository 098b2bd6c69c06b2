#include "core/pixels/HugePages.h"

#include <sys/mman.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace pintora {

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

// The last large buffer freed, kept for the next image of its size: a new
// screenshot is most often the size of the one before it, and giving its
// memory back to the kernel only to fault it in again costs more than a
// decode. Parked with MADV_FREE, so that the kernel may still take the
// pages under memory pressure (they then come back as zeros, which an
// uninitialised image does not mind); and given back for good a few seconds
// after, unless taken: a program that waits in the tray all day keeps no
// image it does not show. Process-wide, as the allocator is.
class SpareBuffer
{
public:
    static constexpr auto keptFor = std::chrono::seconds(3);

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
        void *older = nullptr;
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            older = std::exchange(m_memory, memory);
            m_bytes = bytes;
            m_parkedAt = std::chrono::steady_clock::now();
            startReleasing();
        }
        m_parked.notify_one();
        std::free(older);
    }

private:
    SpareBuffer() = default;

    // A thread that sleeps until a parked buffer is due, then frees it; it
    // wakes for nothing else. Without one, buffers are kept as they were.
    void startReleasing()
    {
        if (m_releasing)
            return;
        try {
            std::thread([this] { release(); }).detach();
            m_releasing = true;
        } catch (const std::system_error &) {
        }
    }

    void release()
    {
        std::unique_lock<std::mutex> hold(m_lock);
        for (;;) {
            m_parked.wait(hold, [this] { return m_memory != nullptr; });
            const auto due = m_parkedAt + keptFor;
            // Taken meanwhile, or another parked since: looked at afresh.
            if (m_parked.wait_until(hold, due, [&] { return !m_memory || m_parkedAt + keptFor != due; }))
                continue;
            void *memory = std::exchange(m_memory, nullptr);
            hold.unlock();
            std::free(memory);
            hold.lock();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_parked;
    void *m_memory = nullptr;
    std::size_t m_bytes = 0;
    std::chrono::steady_clock::time_point m_parkedAt;
    bool m_releasing = false;
};

struct LargeBuffer {
    void *memory;
    std::size_t bytes;
};

// The rows of an image of at least one large page; nothing for a smaller
// or an impossible one.
struct LargeLayout {
    qint64 rowBytes;
    std::size_t bytes, rounded; // the pixels', and that in whole large pages
};

std::optional<LargeLayout> largeLayout(const QSize &size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0)
        return {};
    const qint64 rowBytes = (qint64(size.width()) * depth + 31) / 32 * 4;
    if (rowBytes > std::numeric_limits<qsizetype>::max() / size.height() || rowBytes * size.height() < qint64(hugePage))
        return {};
    const auto bytes = std::size_t(rowBytes * size.height());
    return LargeLayout{rowBytes, bytes, (bytes + hugePage - 1) / hugePage * hugePage};
}

// A hint (refused, the pages are small), and only for the whole large pages
// of the pixels: the rest of the last would be resident unused.
void adviseLargePages(void *pixels, std::size_t bytes)
{
    madvise(pixels, bytes / hugePage * hugePage, MADV_HUGEPAGE);
}

} // namespace

QImage hugePageImage(const QSize &size, QImage::Format format)
{
    const std::optional<LargeLayout> layout = largeLayout(size, format);
    if (!layout)
        return size.isEmpty() ? QImage() : QImage(size, format);
    const auto [rowBytes, bytes, rounded] = *layout;
    void *pixels = SpareBuffer::shared().take(rounded);
    if (!pixels) {
        pixels = std::aligned_alloc(hugePage, rounded);
        if (!pixels)
            return QImage(size, format);
        adviseLargePages(pixels, bytes);
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

QImage zeroedHugePageImage(const QSize &size, QImage::Format format)
{
    const std::optional<LargeLayout> layout = largeLayout(size, format);
    if (!layout)
        return {};
    const auto [rowBytes, bytes, rounded] = *layout;
    // Mapped afresh, so zeros from the kernel; a large page's worth more,
    // to start on a boundary, given back at once.
    void *mapped = mmap(nullptr, rounded + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return {};
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::uintptr_t end = start + rounded + hugePage; end > aligned + rounded)
        munmap(reinterpret_cast<void *>(aligned + rounded), end - aligned - rounded);
    auto *pixels = reinterpret_cast<uchar *>(aligned);
    adviseLargePages(pixels, bytes);
    LargeBuffer *buffer = nullptr;
    try {
        buffer = new LargeBuffer{pixels, rounded};
    } catch (const std::bad_alloc &) {
        munmap(pixels, rounded);
        return {};
    }
    return QImage(
        pixels, size.width(), size.height(), qsizetype(rowBytes), format,
        [](void *info) {
            const std::unique_ptr<LargeBuffer> freed(static_cast<LargeBuffer *>(info));
            munmap(freed->memory, freed->bytes);
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
    static constexpr std::size_t none = std::size_t(-1);

    // The offset of `bytes` taken from the first hole they fit in, else
    // from the free end; none when neither has room.
    std::size_t carve(std::size_t bytes)
    {
        const std::lock_guard<std::mutex> hold(lock);
        for (auto hole = holes.begin(); hole != holes.end(); ++hole) {
            if (hole->second < bytes)
                continue;
            const std::size_t offset = hole->first, left = hole->second - bytes;
            holes.erase(hole);
            if (left > 0)
                holes.emplace(offset + bytes, left);
            return offset;
        }
        if (used + bytes > size)
            return none;
        return std::exchange(used, used + bytes);
    }

    // Gives back what an image took: joined with the holes beside it, or
    // to the free end.
    void give(std::size_t offset, std::size_t bytes)
    {
        const std::lock_guard<std::mutex> hold(lock);
        auto next = holes.lower_bound(offset);
        if (next != holes.end() && offset + bytes == next->first) {
            bytes += next->second;
            next = holes.erase(next);
        }
        if (next != holes.begin()) {
            const auto before = std::prev(next);
            if (before->first + before->second == offset) {
                offset = before->first;
                bytes += before->second;
                holes.erase(before);
            }
        }
        if (offset + bytes == used)
            used = offset;
        else
            holes.emplace(offset, bytes);
    }

    void *memory;
    std::mutex lock;
    std::size_t used = 0; // carved below, free above
    std::map<std::size_t, std::size_t> holes; // freed below `used`: offset, bytes
};

void PixelArena::prepare()
{
    if (m_block)
        return;
    try {
        m_block = std::make_shared<Block>(Block::size);
    } catch (const std::bad_alloc &) {
        return;
    }
    if (!m_block->memory) {
        m_block.reset();
        return;
    }
    // On a thread of its own: a new image's editor opens meanwhile, and a
    // fresh page can take milliseconds on a virtual machine. The pages are
    // faulted in without a write, so carving may start at once. Without the
    // thread, or on a kernel older than 5.14, each page faults where first used.
    try {
        std::thread([block = m_block] {
            for (std::size_t at = 0; at < Block::size; at += hugePage)
                if (madvise(static_cast<char *>(block->memory) + at, hugePage, MADV_POPULATE_WRITE) != 0)
                    return;
        }).detach();
    } catch (const std::system_error &) {
    }
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
    // Room in the block carved last, in an older one, else in a new one.
    std::shared_ptr<Block> block = m_block;
    std::size_t offset = block ? block->carve(bytes) : Block::none;
    for (auto older = m_older.begin(); offset == Block::none && older != m_older.end();) {
        block = older->lock();
        if (!block) {
            older = m_older.erase(older);
            continue;
        }
        offset = block->carve(bytes);
        ++older;
    }
    if (offset == Block::none) {
        try {
            block = std::make_shared<Block>(Block::size);
            if (!block->memory)
                return QImage(size, format);
            if (m_block)
                m_older.push_back(m_block);
        } catch (const std::bad_alloc &) {
            return QImage(size, format);
        }
        m_block = block;
        offset = block->carve(bytes);
    }
    struct Carved {
        std::shared_ptr<Block> block;
        std::size_t offset, bytes;
    };
    Carved *carved = nullptr;
    try {
        carved = new Carved{block, offset, bytes};
    } catch (const std::bad_alloc &) {
        block->give(offset, bytes);
        return {};
    }
    return QImage(
        static_cast<uchar *>(block->memory) + offset, size.width(), size.height(), qsizetype(rowBytes), format,
        [](void *info) {
            const std::unique_ptr<Carved> gone(static_cast<Carved *>(info));
            gone->block->give(gone->offset, gone->bytes);
        },
        carved);
}

} // namespace pintora
