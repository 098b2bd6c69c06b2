#include "core/png/PngRowDecoder.h"

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

namespace pintora::png {
namespace {

// Written without p = a + b - c, whose distances are these, so that the
// compiler can choose by conditional moves.
inline int paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes a row's filter in place against the row above (zeros for the first).
bool unfilter(unsigned char type, unsigned char *row, const unsigned char *above, std::size_t bytes, int bpp)
{
    switch (type) {
    case 0: return true;
    case 1:
        for (std::size_t i = std::size_t(bpp); i < bytes; ++i)
            row[i] = static_cast<unsigned char>(row[i] + row[i - std::size_t(bpp)]);
        return true;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = static_cast<unsigned char>(row[i] + above[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < bytes; ++i) {
            const int left = i >= std::size_t(bpp) ? row[i - std::size_t(bpp)] : 0;
            row[i] = static_cast<unsigned char>(row[i] + (left + above[i]) / 2);
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < bytes; ++i) {
            const bool first = i < std::size_t(bpp);
            const int left = first ? 0 : row[i - std::size_t(bpp)], corner = first ? 0 : above[i - std::size_t(bpp)];
            row[i] = static_cast<unsigned char>(row[i] + paeth(left, above[i], corner));
        }
        return true;
    default: return false;
    }
}

} // namespace

RowConverter::RowConverter(const Header &header, const std::vector<QRgb> &palette, const QByteArray &transparency)
    : m_header(header)
{
    if (header.colourType == 3) {
        m_format = QImage::Format_Indexed8;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const int alpha = qsizetype(i) < transparency.size() ? quint8(transparency[qsizetype(i)]) : 255;
            m_table.append(qRgba(qRed(palette[i]), qGreen(palette[i]), qBlue(palette[i]), alpha));
        }
        return;
    }
    const bool keyed = !transparency.isEmpty();
    if (keyed) {
        const auto sample
            = [&](int i) { return int(quint8(transparency[2 * i]) << 8 | quint8(transparency[2 * i + 1])); };
        // A key wider than the samples is cut to their bits, as libpng
        // compares it.
        const int bits = header.depth == 16 ? 0xffff : (1 << header.depth) - 1;
        for (int i = 0; i < transparency.size() / 2; ++i)
            m_key[std::size_t(i)] = sample(i) & bits;
    }
    m_keyed = keyed;
    const bool deep = header.depth == 16;
    switch (header.colourType) {
    case 0:
        m_format = keyed ? (deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32)
                         : (deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
        break;
    case 2:
        m_format = keyed ? (deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32)
                         : (deep ? QImage::Format_RGBX64 : QImage::Format_RGB32);
        break;
    default: m_format = deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32;
    }
}

void RowConverter::convert(const unsigned char *in, uchar *out)
{
    const int width = int(m_header.width), depth = m_header.depth;
    const auto lowSample = [&](int x) {
        const int perByte = 8 / depth, shift = 8 - depth * (x % perByte + 1);
        return (in[x / perByte] >> shift) & ((1 << depth) - 1);
    };
    const auto sample16 = [&](int i) { return quint16(in[2 * i] << 8 | in[2 * i + 1]); };
    switch (m_header.colourType) {
    case 3:
        for (int x = 0; x < width; ++x) {
            const int index = depth == 8 ? in[x] : lowSample(x);
            m_highestIndex = std::max(m_highestIndex, index);
            out[x] = uchar(index);
        }
        return;
    case 0:
        for (int x = 0; x < width; ++x) {
            if (depth == 16) {
                const quint16 grey = sample16(x);
                if (m_keyed)
                    reinterpret_cast<QRgba64 *>(out)[x]
                        = QRgba64::fromRgba64(grey, grey, grey, grey == m_key[0] ? 0 : 0xffff);
                else
                    reinterpret_cast<quint16 *>(out)[x] = grey;
                continue;
            }
            const int raw = depth == 8 ? in[x] : lowSample(x);
            const int grey = raw * 255 / ((1 << depth) - 1);
            if (m_keyed)
                reinterpret_cast<QRgb *>(out)[x] = qRgba(grey, grey, grey, raw == m_key[0] ? 0 : 255);
            else
                out[x] = uchar(grey);
        }
        return;
    case 2:
        if (depth == 8 && !m_keyed) {
            auto *pixels = reinterpret_cast<QRgb *>(out);
            for (int x = 0; x < width; ++x, in += 3)
                pixels[x] = 0xff000000u | QRgb(in[0]) << 16 | QRgb(in[1]) << 8 | in[2];
            return;
        }
        for (int x = 0; x < width; ++x) {
            if (depth == 16) {
                const quint16 r = sample16(3 * x), g = sample16(3 * x + 1), b = sample16(3 * x + 2);
                const bool clear = m_keyed && r == m_key[0] && g == m_key[1] && b == m_key[2];
                reinterpret_cast<QRgba64 *>(out)[x] = QRgba64::fromRgba64(r, g, b, clear ? 0 : 0xffff);
                continue;
            }
            const int r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
            const bool clear = m_keyed && r == m_key[0] && g == m_key[1] && b == m_key[2];
            reinterpret_cast<QRgb *>(out)[x] = qRgba(r, g, b, clear ? 0 : 255);
        }
        return;
    case 4:
        for (int x = 0; x < width; ++x) {
            if (depth == 16) {
                const quint16 grey = sample16(2 * x);
                reinterpret_cast<QRgba64 *>(out)[x] = QRgba64::fromRgba64(grey, grey, grey, sample16(2 * x + 1));
            } else {
                reinterpret_cast<QRgb *>(out)[x] = qRgba(in[2 * x], in[2 * x], in[2 * x], in[2 * x + 1]);
            }
        }
        return;
    default:
        if (depth == 8) {
            auto *pixels = reinterpret_cast<QRgb *>(out);
            for (int x = 0; x < width; ++x, in += 4)
                pixels[x] = QRgb(in[3]) << 24 | QRgb(in[0]) << 16 | QRgb(in[1]) << 8 | in[2];
            return;
        }
        for (int x = 0; x < width; ++x) {
            if (depth == 16)
                reinterpret_cast<QRgba64 *>(out)[x] = QRgba64::fromRgba64(sample16(4 * x), sample16(4 * x + 1),
                                                                          sample16(4 * x + 2), sample16(4 * x + 3));
            else
                reinterpret_cast<QRgb *>(out)[x] = qRgba(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
        }
        return;
    }
}

RowDecoder::RowDecoder(const Header &header, RowConverter &converter, QImage &image)
    : m_header(header)
    , m_converter(converter)
    , m_bits(image.bits())
    , m_bytesPerLine(image.bytesPerLine())
    , m_stride(header.rowBytes() + 1)
{
    // Slots of about 64 KiB: each fits in a core's cache while it is
    // unfiltered, and inflate writes straight into it. Four of them keep
    // both threads busy.
    constexpr std::size_t slotBytes = std::size_t(64) << 10;
    m_rowsPerSlot = int(std::clamp<std::size_t>(slotBytes / m_stride, 1, header.height));
    const std::size_t count
        = std::min<std::size_t>(4, (header.height + std::size_t(m_rowsPerSlot) - 1) / std::size_t(m_rowsPerSlot));
    m_slots.resize(count);
    for (auto &slot : m_slots)
        slot.resize(m_stride * std::size_t(m_rowsPerSlot));
    m_above.assign(m_stride, 0); // PNG counts zeros above the first row
    m_rowsIn.assign(count, 0);
    if (count < 2)
        return; // one slot's worth: a thread would cost more than it saves
    try {
        m_thread = std::thread(&RowDecoder::run, this);
    } catch (const std::system_error &) {
    }
}

RowDecoder::~RowDecoder()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_done = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

unsigned char *RowDecoder::slot()
{
    if (!m_thread.joinable())
        return m_failure ? nullptr : m_slots[std::size_t(m_published) % m_slots.size()].data();
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_failed || m_published - m_decoded < int(m_slots.size()); });
    return m_failed ? nullptr : m_slots[std::size_t(m_published) % m_slots.size()].data();
}

void RowDecoder::publish(int rows)
{
    const int index = int(std::size_t(m_published) % m_slots.size());
    if (!m_thread.joinable()) {
        ++m_published;
        if (!m_failure)
            decode(index, rows);
        ++m_decoded;
        return;
    }
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_rowsIn[std::size_t(index)] = rows;
        ++m_published;
    }
    m_changed.notify_all();
}

const char *RowDecoder::finish()
{
    if (m_thread.joinable()) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_changed.wait(hold, [this] { return m_failed || m_decoded == m_published; });
    }
    return m_failure;
}

void RowDecoder::run()
{
    for (;;) {
        int index = 0, rows = 0;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_changed.wait(hold, [this] { return m_done || m_decoded < m_published; });
            if (m_done)
                return; // the reader has given up: the rest is not wanted
            index = int(std::size_t(m_decoded) % m_slots.size());
            rows = m_rowsIn[std::size_t(index)];
        }
        decode(index, rows);
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            ++m_decoded;
            m_failed = m_failure != nullptr;
        }
        m_changed.notify_all();
        if (m_failure)
            return;
    }
}

void RowDecoder::decode(int slotIndex, int rows)
{
    unsigned char *row = m_slots[std::size_t(slotIndex)].data();
    const unsigned char *above = m_above.data();
    for (int i = 0; i < rows && m_nextRow < int(m_header.height); ++i, row += m_stride) {
        if (!unfilter(row[0], row + 1, above + 1, m_stride - 1, m_header.pixelBytes())) {
            m_failure = "an unknown filter";
            return;
        }
        m_converter.convert(row + 1, m_bits + qsizetype(m_nextRow) * m_bytesPerLine);
        ++m_nextRow;
        above = row;
    }
    // The next slot's first row is unfiltered against this one's last,
    // which inflate may overwrite before then.
    if (rows > 0)
        std::memcpy(m_above.data(), above, m_stride);
}

} // namespace pintora::png
