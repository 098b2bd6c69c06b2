#include "core/png/PngReader.h"

#include "core/pixels/HugePages.h"
#include "core/png/PngRowDecoder.h"

#include <QtEndian>

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace pintora {
namespace {

using png::Header;
using png::RowConverter;
using png::RowDecoder;

constexpr char signature[] = "\x89PNG\r\n\x1a\n";
// Inflated bytes past the last row read before the rest is left unread.
constexpr std::size_t maxTrailing = std::size_t(1) << 20;

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

// As zlib checks a stream's first two bytes: deflate, a window of at most
// 32 KiB, the check bits right, no preset dictionary.
bool validZlibHeader(unsigned char method, unsigned char flags)
{
    return (method & 0x0f) == 8 && (method >> 4) <= 7 && (method * 256 + flags) % 31 == 0 && !(flags & 0x20);
}

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
    std::unique_ptr<RowDecoder> rows;
    unsigned char *slot = nullptr; // where inflate writes, `filled` bytes of it done
    std::size_t filled = 0, slotBytes = 0;
    int y = 0; // rows inflated and handed over
    bool headerSeen = false, paletteSeen = false, idatSeen = false, idatEnded = false, ended = false;
    bool streamEnded = false; // inflate has nothing more to give after the last row
    unsigned char zlibHeader[2];
    quint32 zlibHeaderBytes = 0;
    std::size_t trailing = 0; // bytes inflated past the last row

    for (std::size_t at = 8; !ended;) {
        if (size - at < 12)
            return failure("truncated");
        const quint32 length = qFromBigEndian<quint32>(data + at);
        if (length > 0x7fffffffu || length > size - at - 12)
            return failure("a chunk runs past the end");
        const unsigned char *type = data + at + 4, *body = data + at + 8;
        const bool critical = !(type[0] & 0x20);
        const bool intact = crc32_gzip_refl(0, type, length + 4) == qFromBigEndian<quint32>(body + length);
        at += std::size_t(length) + 12;
        // As libpng: a damaged critical chunk spoils the file, a damaged ancillary one is skipped.
        if (!intact && critical)
            return failure("a chunk's CRC is wrong");
        const auto is = [type](const char *name) { return std::memcmp(type, name, 4) == 0; };
        // Any other chunk, even a damaged one skipped, ends the image data.
        if (idatSeen && !is("IDAT"))
            idatEnded = true;
        if (!intact)
            continue;

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
            // As libpng: a second palette spoils the file; one after the
            // image data, or in a grey image, is ignored; one longer than
            // the depth can index is cut to what it can.
            if (paletteSeen)
                return failure("a second palette");
            paletteSeen = true;
            if (idatSeen || !(header.colourType & 2))
                continue;
            if (length % 3 != 0 || length == 0 || length > 768) {
                if (header.colourType == 3)
                    return failure("an invalid palette");
                continue;
            }
            const quint32 entries = header.colourType == 3 ? std::min(length / 3, 1u << header.depth) : length / 3;
            for (quint32 i = 0; i < entries; ++i)
                palette.push_back(qRgb(body[3 * i], body[3 * i + 1], body[3 * i + 2]));
            continue;
        }
        if (is("tRNS")) {
            // Ignored where it cannot apply, as libpng ignores it: after the
            // image data, a second one, before the palette, of the wrong
            // length, or in an image with alpha of its own.
            const quint32 expected = header.colourType == 0 ? 2 : header.colourType == 2 ? 6 : 0;
            const bool valid
                = header.colourType == 3 ? length <= palette.size() && length > 0 : expected != 0 && length == expected;
            if (!idatSeen && transparency.isEmpty() && valid)
                transparency = QByteArray(reinterpret_cast<const char *>(body), qsizetype(length));
            continue;
        }
        if (is("iCCP") || is("gAMA") || is("cHRM"))
            return {PngRead::Outcome::unsupported, {}, QStringLiteral("colour space")};
        if (is("IDAT")) {
            if (streamEnded)
                continue; // after the whole image: ignored, as libpng does
            if (idatEnded)
                return failure("image data in pieces");
            if (!idatSeen) {
                idatSeen = true;
                if (header.colourType == 3 && palette.empty())
                    return failure("no palette");
                converter = std::make_unique<RowConverter>(header, palette, transparency);
                image = hugePageImage(QSize(int(header.width), int(header.height)), converter->format());
                if (image.isNull())
                    return failure("out of memory");
                if (header.colourType == 3)
                    image.setColorTable(converter->colourTable());
                try {
                    inflate = std::make_unique<inflate_state>();
                    rows = std::make_unique<RowDecoder>(header, *converter, image);
                } catch (const std::bad_alloc &) {
                    return failure("out of memory");
                }
                isal_inflate_init(inflate.get());
                inflate->crc_flag = ISAL_ZLIB;
            }
            for (quint32 i = 0; zlibHeaderBytes < 2 && i < length; ++i)
                zlibHeader[zlibHeaderBytes++] = body[i];
            if (zlibHeaderBytes == 2 && !validZlibHeader(zlibHeader[0], zlibHeader[1]))
                return failure("an invalid zlib header");
            inflate->next_in = const_cast<unsigned char *>(body);
            inflate->avail_in = length;
            // Inflate buffers input of its own: it is called until it neither
            // takes input nor gives output.
            for (bool moved = true; moved && !streamEnded;) {
                const quint32 input = inflate->avail_in;
                if (y == int(header.height)) {
                    // What follows the last row is read to the stream's end
                    // and dropped, as libpng does, a damaged end included;
                    // but no more than a little of it.
                    unsigned char spare[4096];
                    inflate->next_out = spare;
                    inflate->avail_out = sizeof spare;
                    const bool good = isal_inflate(inflate.get()) == ISAL_DECOMP_OK;
                    trailing += sizeof spare - inflate->avail_out;
                    streamEnded = !good || inflate->block_state == ISAL_BLOCK_FINISH || trailing > maxTrailing;
                    moved = inflate->avail_in != input || inflate->avail_out != sizeof spare;
                    continue;
                }
                if (!slot) {
                    slot = rows->slot();
                    if (!slot)
                        return failure(rows->finish());
                    slotBytes = rows->stride() * std::size_t(std::min(rows->rows(), int(header.height) - y));
                    filled = 0;
                }
                inflate->next_out = slot + filled;
                inflate->avail_out = quint32(slotBytes - filled);
                if (isal_inflate(inflate.get()) != ISAL_DECOMP_OK)
                    return failure("corrupt image data");
                const std::size_t now = slotBytes - inflate->avail_out;
                moved = now != filled || inflate->avail_in != input;
                filled = now;
                if (filled < slotBytes)
                    continue;
                const int done = int(slotBytes / rows->stride());
                rows->publish(done);
                y += done;
                slot = nullptr;
                streamEnded = y == int(header.height) && inflate->block_state == ISAL_BLOCK_FINISH;
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
    if (!streamEnded)
        return failure("image data cut short");
    if (const char *bad = rows->finish())
        return failure(bad);
    rows.reset(); // before the image is handed on: its thread writes no more
    if (header.colourType == 3 && converter->highestIndex() >= image.colorCount()) {
        // Indices past the palette are opaque black, as libpng gives them.
        QList<QRgb> table = image.colorTable();
        table.resize(converter->highestIndex() + 1, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    return {PngRead::Outcome::read, image, {}};
}

} // namespace pintora
