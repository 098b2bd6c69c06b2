#include "core/PngReader.h"

#include "core/HugePages.h"

#include <QtEndian>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace pintora {
namespace {

constexpr char signature[] = "\x89PNG\r\n\x1a\n";

struct Header {
    quint32 width = 0, height = 0;
    int depth = 0, colourType = 0;
    int channels() const { return std::array{1, 0, 3, 1, 2, 0, 4}[colourType]; }
    std::size_t rowBytes() const { return (std::size_t(width) * channels() * depth + 7) / 8; }
    int pixelBytes() const { return std::max(1, channels() * depth / 8); }
};

bool validDepth(int colourType, int depth)
{
    switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

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

// Turns unfiltered rows into the image's pixels.
class RowConverter
{
public:
    RowConverter(const Header &header, const std::vector<QRgb> &palette, const QByteArray &transparency)
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
            for (int i = 0; i < transparency.size() / 2; ++i)
                m_key[std::size_t(i)] = sample(i);
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

    QImage::Format format() const { return m_format; }
    const QList<QRgb> &colourTable() const { return m_table; }

    // False when a palette index lies beyond the palette.
    bool convert(const unsigned char *in, uchar *out) const
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
                if (index >= m_table.size())
                    return false;
                out[x] = uchar(index);
            }
            return true;
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
            return true;
        case 2:
            if (depth == 8 && !m_keyed) {
                auto *pixels = reinterpret_cast<QRgb *>(out);
                for (int x = 0; x < width; ++x, in += 3)
                    pixels[x] = 0xff000000u | QRgb(in[0]) << 16 | QRgb(in[1]) << 8 | in[2];
                return true;
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
            return true;
        case 4:
            for (int x = 0; x < width; ++x) {
                if (depth == 16) {
                    const quint16 grey = sample16(2 * x);
                    reinterpret_cast<QRgba64 *>(out)[x] = QRgba64::fromRgba64(grey, grey, grey, sample16(2 * x + 1));
                } else {
                    reinterpret_cast<QRgb *>(out)[x] = qRgba(in[2 * x], in[2 * x], in[2 * x], in[2 * x + 1]);
                }
            }
            return true;
        default:
            if (depth == 8) {
                auto *pixels = reinterpret_cast<QRgb *>(out);
                for (int x = 0; x < width; ++x, in += 4)
                    pixels[x] = QRgb(in[3]) << 24 | QRgb(in[0]) << 16 | QRgb(in[1]) << 8 | in[2];
                return true;
            }
            for (int x = 0; x < width; ++x) {
                if (depth == 16)
                    reinterpret_cast<QRgba64 *>(out)[x] = QRgba64::fromRgba64(sample16(4 * x), sample16(4 * x + 1),
                                                                              sample16(4 * x + 2), sample16(4 * x + 3));
                else
                    reinterpret_cast<QRgb *>(out)[x] = qRgba(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
            }
            return true;
        }
    }

private:
    Header m_header;
    QImage::Format m_format = QImage::Format_Invalid;
    QList<QRgb> m_table;
    std::array<int, 3> m_key{};
    bool m_keyed = false;
};

PngRead failure(const char *reason)
{
    return {PngRead::Outcome::malformed, {}, QString::fromLatin1(reason)};
}

} // namespace

PngRead readPng(const QByteArray &bytes, QSize limit)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    if (size < 8 || std::memcmp(data, signature, 8) != 0)
        return failure("not a PNG");

    Header header;
    std::vector<QRgb> palette;
    QByteArray transparency;
    std::unique_ptr<inflate_state> inflate;
    std::unique_ptr<RowConverter> converter;
    QImage image;
    std::vector<unsigned char> rows[2]; // the row being filled and the one above, filter bytes first
    std::size_t filled = 0; // of the current row
    int y = 0;
    bool headerSeen = false, idatSeen = false, idatEnded = false, ended = false;

    for (std::size_t at = 8; !ended;) {
        if (size - at < 12)
            return failure("truncated");
        const quint32 length = qFromBigEndian<quint32>(data + at);
        if (length > 0x7fffffffu || length > size - at - 12)
            return failure("a chunk runs past the end");
        const unsigned char *type = data + at + 4, *body = data + at + 8;
        const bool critical = !(type[0] & 0x20);
        bool intact = crc32_gzip_refl(0, type, length + 4) == qFromBigEndian<quint32>(body + length);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION // a fuzzer's mutations would rarely get past it
        intact = true;
#endif
        at += std::size_t(length) + 12;
        // As libpng: a damaged critical chunk spoils the file, a damaged ancillary one is skipped.
        if (!intact && critical)
            return failure("a chunk's CRC is wrong");
        if (!intact)
            continue;
        const auto is = [type](const char *name) { return std::memcmp(type, name, 4) == 0; };

        if (!headerSeen) {
            if (!is("IHDR") || length != 13)
                return failure("no header first");
            headerSeen = true;
            header.width = qFromBigEndian<quint32>(body);
            header.height = qFromBigEndian<quint32>(body + 4);
            header.depth = body[8];
            header.colourType = body[9];
            if (header.width == 0 || header.height == 0 || header.width > quint32(limit.width())
                || header.height > quint32(limit.height()))
                return failure("no size or too large");
            if (!validDepth(header.colourType, header.depth) || body[10] != 0 || body[11] != 0 || body[12] > 1)
                return failure("an invalid header");
            if (body[12] == 1)
                return {PngRead::Outcome::unsupported, {}, QStringLiteral("interlaced")};
            continue;
        }
        if (is("IHDR"))
            return failure("a second header");
        if (is("PLTE")) {
            if (idatSeen || !palette.empty() || length % 3 != 0 || length == 0 || length > 768)
                return failure("an invalid palette");
            for (quint32 i = 0; i < length; i += 3)
                palette.push_back(qRgb(body[i], body[i + 1], body[i + 2]));
            continue;
        }
        if (is("tRNS")) {
            const quint32 expected = header.colourType == 0 ? 2 : header.colourType == 2 ? 6 : 0;
            const bool valid = header.colourType == 3 ? length <= palette.size() && !palette.empty()
                                                      : expected != 0 && length == expected;
            if (idatSeen || !valid)
                return failure("an invalid transparency");
            transparency = QByteArray(reinterpret_cast<const char *>(body), qsizetype(length));
            continue;
        }
        if (is("iCCP") || is("gAMA") || is("cHRM"))
            return {PngRead::Outcome::unsupported, {}, QStringLiteral("colour space")};
        if (is("IDAT")) {
            if (idatEnded)
                return failure("image data in pieces");
            if (!idatSeen) {
                idatSeen = true;
                if (header.colourType == 3 && palette.empty())
                    return failure("no palette");
                converter = std::make_unique<RowConverter>(header, palette, transparency);
                image = hugePageImage(QSize(int(header.width), int(header.height)), converter->format());
                try {
                    inflate = std::make_unique<inflate_state>();
                    rows[0].assign(header.rowBytes() + 1, 0);
                    rows[1].assign(header.rowBytes() + 1, 0);
                } catch (const std::bad_alloc &) {
                    return failure("out of memory");
                }
                if (image.isNull())
                    return failure("out of memory");
                if (header.colourType == 3)
                    image.setColorTable(converter->colourTable());
                isal_inflate_init(inflate.get());
                inflate->crc_flag = ISAL_ZLIB;
            }
            inflate->next_in = const_cast<unsigned char *>(body);
            inflate->avail_in = length;
            // Inflate buffers input of its own: it is called until it neither
            // takes input nor gives output.
            for (bool moved = true; moved && inflate->block_state != ISAL_BLOCK_FINISH;) {
                const quint32 input = inflate->avail_in;
                if (y == int(header.height)) {
                    // Only the stream's end and checksum may follow the last row.
                    unsigned char spare[64];
                    inflate->next_out = spare;
                    inflate->avail_out = sizeof spare;
                    if (isal_inflate(inflate.get()) != ISAL_DECOMP_OK || inflate->avail_out != sizeof spare)
                        return failure("more image data than rows");
                    moved = inflate->avail_in != input;
                    continue;
                }
                std::vector<unsigned char> &row = rows[y % 2];
                inflate->next_out = row.data() + filled;
                inflate->avail_out = quint32(row.size() - filled);
                if (isal_inflate(inflate.get()) != ISAL_DECOMP_OK)
                    return failure("corrupt image data");
                const std::size_t now = row.size() - inflate->avail_out;
                moved = now != filled || inflate->avail_in != input;
                filled = now;
                if (filled < row.size())
                    continue;
                const std::vector<unsigned char> &above = rows[(y + 1) % 2];
                if (y == 0)
                    std::fill(rows[1].begin(), rows[1].end(), 0); // PNG counts zeros above the first row
                if (!unfilter(row[0], row.data() + 1, above.data() + 1, row.size() - 1, header.pixelBytes()))
                    return failure("an unknown filter");
                if (!converter->convert(row.data() + 1, image.scanLine(y)))
                    return failure("a palette index beyond the palette");
                ++y;
                filled = 0;
            }
            continue;
        }
        if (idatSeen)
            idatEnded = true;
        if (is("IEND")) {
            ended = true;
            continue;
        }
        if (critical)
            return failure("an unknown critical chunk");
    }
    if (!idatSeen || y != int(header.height))
        return failure("image data missing");
    // The last row can complete before the stream's end and its checksum.
    if (inflate->block_state != ISAL_BLOCK_FINISH)
        return failure("image data cut short");
    return {PngRead::Outcome::read, image, {}};
}

} // namespace pintora
