#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

// How the PNG reader turns inflated, filtered rows into an image's pixels.
namespace pintora::png {

struct Header {
    quint32 width = 0, height = 0;
    int depth = 0, colourType = 0;
    int channels() const { return std::array{1, 0, 3, 1, 2, 0, 4}[colourType]; }
    std::size_t rowBytes() const { return (std::size_t(width) * channels() * depth + 7) / 8; }
    int pixelBytes() const { return std::max(1, channels() * depth / 8); }
};

// Turns unfiltered rows into the image's pixels.
class RowConverter
{
public:
    RowConverter(const Header &header, const std::vector<QRgb> &palette, const QByteArray &transparency);

    QImage::Format format() const { return m_format; }
    const QList<QRgb> &colourTable() const { return m_table; }

    void convert(const unsigned char *in, uchar *out);
    // The largest palette index met so far: it may lie past the palette.
    int highestIndex() const { return m_highestIndex; }

private:
    Header m_header;
    QImage::Format m_format = QImage::Format_Invalid;
    QList<QRgb> m_table;
    std::array<int, 3> m_key{};
    bool m_keyed = false;
    int m_highestIndex = 0;
};

// Unfilters and converts filtered rows into `image`, a slot of rows at a
// time, on a thread of its own while the caller inflates the next ones: the
// two halves of a decode take about as long each. The caller fills a slot
// (`slot`), hands it over (`publish`), and takes the next, which waits while
// every slot is still being worked on. Where no thread can be had, or the
// image is small, the rows are worked on in `publish`.
class RowDecoder
{
public:
    // `image` (detached, of the header's size) and `converter` must
    // outlive this.
    RowDecoder(const Header &header, RowConverter &converter, QImage &image);
    ~RowDecoder();
    RowDecoder(const RowDecoder &) = delete;
    RowDecoder &operator=(const RowDecoder &) = delete;

    // Room for the next rows: at most `rows()` of `stride()` bytes each,
    // filter byte first. Null once the rows handed over turned out bad.
    unsigned char *slot();
    int rows() const { return m_rowsPerSlot; }
    std::size_t stride() const { return m_stride; }
    // The slot taken last holds `rows` whole rows.
    void publish(int rows);
    // Waits for every row handed over; why they are bad, or null.
    const char *finish();

private:
    // The decoding thread's loop, and its work on one slot.
    void run();
    void decode(int slotIndex, int rows);

    const Header m_header;
    RowConverter &m_converter; // used on the decoding thread only until finish
    uchar *const m_bits; // the image's, taken on the caller's thread
    const qsizetype m_bytesPerLine;
    std::size_t m_stride;
    int m_rowsPerSlot;
    std::vector<std::vector<unsigned char>> m_slots;
    std::vector<unsigned char> m_above; // the last row unfiltered, filter byte first
    int m_nextRow = 0; // of the image, the next to decode (decoding thread's)
    const char *m_failure = nullptr; // written by the decoding thread, read after finish or under the lock

    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_published = 0, m_decoded = 0; // slots, counted from the first
    std::vector<int> m_rowsIn; // per slot, under the lock
    bool m_done = false; // no more slots come
    bool m_failed = false; // under the lock
    std::thread m_thread; // not joinable: rows decoded in publish
};

} // namespace pintora::png
