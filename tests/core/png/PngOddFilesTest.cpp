#include "PngTestSupport.h"
#include "core/png/ImageDecode.h"

#include <QtEndian>

#include <zlib.h>

#include <gtest/gtest.h>

#include <random>

// Files odd encoders write, read as libpng reads them: every case either
// refused by both or read by both to the same pixels.
namespace pintora {
namespace {

QByteArray damaged(QByteArray chunkBytes)
{
    chunkBytes[chunkBytes.size() - 1] = char(chunkBytes[chunkBytes.size() - 1] ^ 1);
    return chunkBytes;
}

QByteArray header(int width, int height, int depth, int colourType)
{
    QByteArray data(13, '\0');
    qToBigEndian(quint32(width), data.data());
    qToBigEndian(quint32(height), data.data() + 4);
    data[8] = char(depth);
    data[9] = char(colourType);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", data);
}

// `height` rows of random samples, each after filter byte 0.
QByteArray rows(int height, int rowBytes, std::mt19937 &random)
{
    QByteArray out;
    for (int y = 0; y < height; ++y) {
        out += '\0';
        for (int i = 0; i < rowBytes; ++i)
            out += char(i % 6 < 3 ? 7 : random()); // grey and colour keys of 7 meet pixels
    }
    return out;
}

// Deflated in a zlib stream with a window of 2^windowBits bytes.
QByteArray zlibOf(const QByteArray &raw, int windowBits = 15)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(raw.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
    stream.avail_in = uInt(raw.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray idats(const QByteArray &stream, qsizetype piece)
{
    QByteArray out;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        out += pngChunk("IDAT", stream.mid(at, piece));
    return out;
}

QByteArray withZlibHeader(QByteArray stream, unsigned char method, unsigned char flags)
{
    flags = static_cast<unsigned char>((flags & 0xe0) + 31 - (method * 256 + (flags & 0xe0)) % 31);
    stream[0] = char(method);
    stream[1] = char(flags);
    return stream;
}

struct OddFile {
    const char *what;
    QByteArray bytes;
    bool read; // what libpng does, stated so that a change in libpng shows too
};

std::vector<OddFile> oddFiles()
{
    std::mt19937 random(11);
    const QByteArray end = pngChunk("IEND", {});
    const QByteArray text = pngChunk("tEXt", QByteArray("a\0b", 3));
    const auto palette = [&](int entries) {
        QByteArray colours;
        for (int i = 0; i < 3 * entries; ++i)
            colours += char(random());
        return pngChunk("PLTE", colours);
    };
    const auto alphas = [](int entries) { return pngChunk("tRNS", QByteArray(entries, '\x40')); };
    const QByteArray indices8 = zlibOf(rows(6, 9, random)), indices4 = zlibOf(rows(6, 5, random)),
                     indices1 = zlibOf(rows(6, 2, random)), grey8 = zlibOf(rows(6, 9, random)),
                     grey1 = zlibOf(rows(6, 2, random)), rgb8 = zlibOf(rows(6, 27, random)),
                     rgba8 = zlibOf(rows(6, 36, random));
    const QByteArray sevenRows = rows(7, 27, random);
    const QByteArray extraRow = zlibOf(sevenRows), extraRows = zlibOf(sevenRows + rows(200, 27, random));
    QByteArray badAdler = rgb8;
    badAdler[badAdler.size() - 1] = char(badAdler[badAdler.size() - 1] ^ 1);
    const auto key = [](std::initializer_list<int> samples) {
        QByteArray data;
        for (int sample : samples)
            data.append(char(sample >> 8)).append(char(sample));
        return pngChunk("tRNS", data);
    };
    const QByteArray p8 = header(9, 6, 8, 3), g8 = header(9, 6, 8, 0), g1 = header(9, 6, 1, 0), c8 = header(9, 6, 8, 2);
    return {
        // Palettes
        {"indices past a palette of 5", p8 + palette(5) + pngChunk("IDAT", indices8) + end, true},
        {"... with tRNS", p8 + palette(5) + alphas(3) + pngChunk("IDAT", indices8) + end, true},
        {"4-bit indices past a palette of 3", header(9, 6, 4, 3) + palette(3) + pngChunk("IDAT", indices4) + end, true},
        {"a palette longer than 1 bit indexes",
         header(9, 6, 1, 3) + palette(4) + alphas(4) + pngChunk("IDAT", indices1) + end, true},
        {"tRNS covering every colour", p8 + palette(256) + alphas(256) + pngChunk("IDAT", indices8) + end, true},
        {"tRNS longer than the palette", p8 + palette(5) + alphas(6) + pngChunk("IDAT", indices8) + end, true},
        {"tRNS before the palette", p8 + alphas(3) + palette(5) + pngChunk("IDAT", indices8) + end, true},
        {"tRNS after the image data", p8 + palette(256) + pngChunk("IDAT", indices8) + alphas(3) + end, true},
        {"a second tRNS", p8 + palette(256) + alphas(2) + alphas(4) + pngChunk("IDAT", indices8) + end, true},
        {"a second palette", p8 + palette(256) + palette(256) + pngChunk("IDAT", indices8) + end, false},
        {"no palette", p8 + pngChunk("IDAT", indices8) + end, false},
        {"an empty palette", p8 + pngChunk("PLTE", {}) + pngChunk("IDAT", indices8) + end, false},
        {"a palette of 4 bytes", p8 + pngChunk("PLTE", "abcd") + pngChunk("IDAT", indices8) + end, false},
        {"a palette in a grey image", g8 + palette(4) + pngChunk("IDAT", grey8) + end, true},
        {"a suggested palette in a colour image", c8 + palette(7) + pngChunk("IDAT", rgb8) + end, true},
        {"a palette of 4 bytes in a colour image", c8 + pngChunk("PLTE", "abcd") + pngChunk("IDAT", rgb8) + end, true},
        {"a palette after the image data", c8 + pngChunk("IDAT", rgb8) + palette(7) + end, true},
        // Colour keys
        {"a grey key of 4 bytes", g8 + pngChunk("tRNS", "abcd") + pngChunk("IDAT", grey8) + end, true},
        {"a grey key after the image data", g8 + pngChunk("IDAT", grey8) + key({7}) + end, true},
        {"a grey key", g8 + key({7}) + pngChunk("IDAT", grey8) + end, true},
        {"a grey key past 8 bits", g8 + key({0x107}) + pngChunk("IDAT", grey8) + end, true},
        {"a 1-bit grey key", g1 + key({1}) + pngChunk("IDAT", grey1) + end, true},
        {"a 1-bit grey key past 1 bit", g1 + key({3}) + pngChunk("IDAT", grey1) + end, true},
        {"a colour key", c8 + key({7, 7, 7}) + pngChunk("IDAT", rgb8) + end, true},
        {"a colour key past 8 bits", c8 + key({0x107, 7, 7}) + pngChunk("IDAT", rgb8) + end, true},
        {"a colour key of 2 bytes", c8 + key({7}) + pngChunk("IDAT", rgb8) + end, true},
        {"tRNS with an alpha channel", header(9, 6, 8, 6) + key({7}) + pngChunk("IDAT", rgba8) + end, true},
        // The image data's stream
        {"a row more than the image", c8 + pngChunk("IDAT", extraRow) + end, true},
        {"200 rows more than the image", c8 + pngChunk("IDAT", extraRows) + end, true},
        {"bytes after the stream's end", c8 + pngChunk("IDAT", rgb8 + "garbage") + end, true},
        {"an image data chunk after the whole image", c8 + pngChunk("IDAT", rgb8) + text + pngChunk("IDAT", "xy") + end,
         true},
        {"one byte a chunk", c8 + idats(rgb8, 1) + end, true},
        {"empty chunks between",
         c8 + pngChunk("IDAT", rgb8.left(9)) + pngChunk("IDAT", {}) + pngChunk("IDAT", rgb8.mid(9)) + end, true},
        {"a 256-byte window", c8 + pngChunk("IDAT", zlibOf(rows(6, 27, random), 8)) + end, true},
        {"the checksum wrong", c8 + pngChunk("IDAT", badAdler) + end, false},
        {"the checksum missing", c8 + pngChunk("IDAT", rgb8.chopped(4)) + end, false},
        {"cut in the last row", c8 + pngChunk("IDAT", zlibOf(rows(6, 27, random).chopped(1))) + end, false},
        {"interrupted by a chunk", c8 + pngChunk("IDAT", rgb8.left(9)) + text + pngChunk("IDAT", rgb8.mid(9)) + end,
         false},
        {"interrupted by a damaged chunk",
         c8 + pngChunk("IDAT", rgb8.left(9)) + damaged(text) + pngChunk("IDAT", rgb8.mid(9)) + end, false},
        {"a 64 KiB window declared", c8 + pngChunk("IDAT", withZlibHeader(rgb8, 0x88, 0)) + end, false},
        {"a preset dictionary declared", c8 + pngChunk("IDAT", withZlibHeader(rgb8, 0x78, 0x20)) + end, false},
        {"not deflate", c8 + pngChunk("IDAT", withZlibHeader(rgb8, 0x79, 0)) + end, false},
        {"a chunk before the header",
         QByteArray("\x89PNG\r\n\x1a\n", 8) + text + c8.mid(8) + pngChunk("IDAT", rgb8) + end, false},
        // Sizes
        {"16384 wide", header(16384, 2, 8, 0) + pngChunk("IDAT", zlibOf(rows(2, 16384, random))) + end, true},
        {"16384 high", header(1, 16384, 8, 0) + pngChunk("IDAT", zlibOf(rows(16384, 1, random))) + end, true},
    };
}

TEST(PngOddFiles, ReadAsLibpngReadsThem)
{
    for (const OddFile &file : oddFiles()) {
        const QImage byLibpng = readWithLibpng(file.bytes);
        ASSERT_EQ(!byLibpng.isNull(), file.read) << file.what << ": libpng reads it otherwise";
        QString reason;
        const QImage ours = decodeImage(file.bytes, &reason);
        EXPECT_EQ(!ours.isNull(), file.read) << file.what << ": " << reason.toStdString();
        if (file.read && !ours.isNull()) {
            EXPECT_EQ(ours.convertToFormat(QImage::Format_RGBA8888), byLibpng) << file.what;
        }
    }
}

} // namespace
} // namespace pintora
