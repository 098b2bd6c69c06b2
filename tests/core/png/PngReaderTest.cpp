#include "ImageTestSupport.h"
#include "PngTestSupport.h"
#include "core/png/ImageDecode.h"
#include "core/png/PngReader.h"
#include "core/png/PngWriter.h"

#include <QColorSpace>
#include <QtEndian>

#include <isa-l/igzip_lib.h>

#include <gtest/gtest.h>

#include <random>

namespace pintora {
namespace {

// A PNG written by libpng: `rows` hold the samples as PNG stores them.
struct Spec {
    int width, height, colourType, depth;
    bool interlaced = false;
    int paletteSize = 0; // for colour type 3
    QByteArray transparency = {};
    int filters = PNG_ALL_FILTERS;
};

QByteArray writeWithLibpng(const Spec &spec, std::mt19937 &random)
{
    QByteArray out;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(
        writer, &out,
        [](png_structp w, png_bytep data, png_size_t length) {
            static_cast<QByteArray *>(png_get_io_ptr(w))
                ->append(reinterpret_cast<const char *>(data), qsizetype(length));
        },
        nullptr);
    png_set_IHDR(writer, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.depth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (int i = 0; i < spec.paletteSize; ++i)
        palette.push_back({png_byte(random()), png_byte(random()), png_byte(random())});
    if (spec.colourType == 3)
        png_set_PLTE(writer, info, palette.data(), spec.paletteSize);
    if (!spec.transparency.isEmpty()) {
        if (spec.colourType == 3) {
            png_set_tRNS(writer, info, reinterpret_cast<png_const_bytep>(spec.transparency.constData()),
                         int(spec.transparency.size()), nullptr);
        } else {
            const auto sample = [&](int i) {
                return png_uint_16(quint8(spec.transparency[2 * i]) << 8 | quint8(spec.transparency[2 * i + 1]));
            };
            png_color_16 key{};
            key.gray = sample(0);
            if (spec.colourType == 2)
                key = png_color_16{0, sample(0), sample(1), sample(2), 0};
            png_set_tRNS(writer, info, nullptr, 0, &key);
        }
    }
    png_set_filter(writer, 0, spec.filters);
    png_write_info(writer, info);
    const int channels = std::array{1, 0, 3, 1, 2, 0, 4}[spec.colourType];
    const std::size_t rowBytes = (std::size_t(spec.width) * channels * spec.depth + 7) / 8;
    std::vector<std::vector<png_byte>> rows(std::size_t(spec.height), std::vector<png_byte>(rowBytes));
    for (auto &row : rows)
        for (std::size_t i = 0; i < rowBytes; ++i) {
            // Runs of equal bytes and noise, so that every filter gets chosen.
            row[i] = png_byte(i % 7 < 3 ? 40 : random());
            if (spec.colourType == 3 && spec.depth == 8)
                row[i] = png_byte(row[i] % spec.paletteSize);
        }
    if (spec.colourType == 3 && spec.depth < 8) // indices within the palette
        for (auto &row : rows)
            for (auto &byte : row)
                byte &= png_byte(spec.depth == 1 ? 0xff : spec.depth == 2 ? 0x55 : 0x33);
    std::vector<png_bytep> pointers;
    for (auto &row : rows)
        pointers.push_back(row.data());
    png_write_image(writer, pointers.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return out;
}

QImage asRgba(const QImage &image, bool deep)
{
    return image.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
}

// Every colour type and depth, with and without transparency, reads as
// libpng reads it, pixel for pixel, in a format of its own depth.
TEST(PngReader, ReadsEveryColourTypeAndDepthAsLibpngDoes)
{
    std::mt19937 random(17);
    const QByteArray key8("\x00\x28", 2), key16("\x00\x28\x00\x28\x00\x28", 6), keyLow("\x00\x00", 2);
    // clang-format off
    const Spec specs[] = {
        {37, 11, 0, 1}, {37, 11, 0, 2}, {37, 11, 0, 4}, {37, 11, 0, 8}, {37, 11, 0, 16},
        {37, 11, 0, 1, false, 0, keyLow}, {37, 11, 0, 8, false, 0, key8}, {37, 11, 0, 16, false, 0, key8},
        {37, 11, 2, 8}, {37, 11, 2, 16}, {37, 11, 2, 8, false, 0, key16}, {37, 11, 2, 16, false, 0, key16},
        {37, 11, 3, 1, false, 2}, {37, 11, 3, 2, false, 4}, {37, 11, 3, 4, false, 16}, {37, 11, 3, 8, false, 256},
        {37, 11, 3, 8, false, 200, QByteArray("\x00\x80\xff", 3)},
        {37, 11, 4, 8}, {37, 11, 4, 16}, {37, 11, 6, 8}, {37, 11, 6, 16},
        {1, 1, 6, 8}, {1000, 3, 2, 8}, {5, 700, 6, 16},
        // Many slots of rows, unfiltered on a thread of their own.
        {700, 300, 2, 8}, {300, 300, 6, 16}, {999, 201, 3, 8, false, 256},
    };
    // clang-format on
    for (Spec spec : specs)
        for (const int filters :
             {PNG_ALL_FILTERS, PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH}) {
            spec.filters = filters;
            const QByteArray png = writeWithLibpng(spec, random);
            ASSERT_FALSE(png.isEmpty());
            const PngRead read = readPng(png);
            const std::string what = std::to_string(spec.colourType) + "/" + std::to_string(spec.depth) + " "
                + std::to_string(spec.width) + "x" + std::to_string(spec.height)
                + (spec.transparency.isEmpty() ? "" : " tRNS");
            ASSERT_EQ(read.outcome, PngRead::Outcome::read) << what << ": " << read.reason.toStdString();
            const bool deep = spec.depth == 16;
            EXPECT_EQ(read.image.depth() >= 64 || read.image.format() == QImage::Format_Grayscale16, deep) << what;
            EXPECT_EQ(asRgba(read.image, deep), readWithLibpng(png)) << what << " filters " << filters;
        }
}

// Paeth's predictor, where the left and the upper-left tie: it takes the left.
TEST(PngReader, PaethPrefersTheLeftOnATie)
{
    // 2 x 2 grey: row 0 unfiltered (10, 15); row 1 Paeth. Its first pixel
    // predicts 10 (above), so 246 makes 0; its second has left 0, above 15,
    // upper-left 10: left and upper-left tie, the left wins, so 5 stays 5
    // (the upper-left would give 15).
    const unsigned char rows[] = {0, 10, 15, 4, 246, 5};
    QByteArray stream("\x78\x01\x01\x06\x00\xf9\xff", 7); // zlib, one stored final block of 6 bytes
    stream.append(reinterpret_cast<const char *>(rows), 6);
    QByteArray adler(4, '\0');
    qToBigEndian(isal_adler32(1, rows, 6), adler.data());
    QByteArray header(13, '\0');
    qToBigEndian(quint32(2), header.data());
    qToBigEndian(quint32(2), header.data() + 4);
    header[8] = 8; // grey, 8 bits
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
        + pngChunk("IDAT", stream + adler) + pngChunk("IEND", {});
    const PngRead read = readPng(png);
    ASSERT_EQ(read.outcome, PngRead::Outcome::read) << read.reason.toStdString();
    EXPECT_EQ(qGray(read.image.pixel(0, 1)), 0);
    EXPECT_EQ(qGray(read.image.pixel(1, 1)), 5);
}

// An RGB PNG of `rows` (each a filter byte and `width` pixels), compressed
// by ISA-L's deflate.
QByteArray rgbPngOf(int width, int height, const QByteArray &rows)
{
    QByteArray stream(rows.size() + rows.size() / 8 + 1024, '\0');
    isal_zstream deflate;
    isal_deflate_stateless_init(&deflate);
    deflate.gzip_flag = IGZIP_ZLIB;
    deflate.end_of_stream = 1;
    deflate.next_in = reinterpret_cast<unsigned char *>(const_cast<char *>(rows.constData()));
    deflate.avail_in = quint32(rows.size());
    deflate.next_out = reinterpret_cast<unsigned char *>(stream.data());
    deflate.avail_out = quint32(stream.size());
    if (isal_deflate_stateless(&deflate) != COMP_OK)
        return {};
    stream.truncate(qsizetype(deflate.total_out));
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 8;
    header[9] = 2;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", stream)
        + pngChunk("IEND", {});
}

// Where rows are unfiltered on a thread of their own, a bad row far down
// and data that ends early are refused as in one piece, and nothing waits.
TEST(PngReader, RefusesBadRowsOfLargeImages)
{
    constexpr int width = 800, height = 400, stride = width * 3 + 1;
    QByteArray rows(stride * height, '\x21');
    for (int y = 0; y < height; ++y)
        rows[y * stride] = char(y % 5);
    ASSERT_EQ(readPng(rgbPngOf(width, height, rows)).outcome, PngRead::Outcome::read);
    QByteArray badFilter = rows;
    badFilter[350 * stride] = 5;
    const QByteArray whole = rgbPngOf(width, height, rows);
    const qsizetype idatLength = qFromBigEndian<quint32>(whole.constData() + 33);
    const QByteArray stream = whole.mid(33 + 8, idatLength);
    const struct {
        const char *what;
        QByteArray png;
        const char *reason;
    } cases[] = {
        {"an unknown filter on row 350", rgbPngOf(width, height, badFilter), "an unknown filter"},
        {"rows for 399 of 400", rgbPngOf(width, height, rows.left(stride * (height - 1))), "image data missing"},
        {"the stream cut at half",
         whole.left(33) + pngChunk("IDAT", stream.left(stream.size() / 2)) + pngChunk("IEND", {}),
         "image data missing"},
    };
    for (const auto &c : cases) {
        const PngRead read = readPng(c.png);
        EXPECT_EQ(read.outcome, PngRead::Outcome::malformed) << c.what;
        EXPECT_EQ(read.reason.toStdString(), c.reason) << c.what;
    }
}

// Our writer's files read back exactly.
TEST(PngReader, ReadsWhatTheWriterWrites)
{
    QImage image = noiseImage(301, 97).convertToFormat(QImage::Format_ARGB32);
    image.setPixel(5, 5, qRgba(1, 2, 3, 4));
    for (const QImage &source :
         {image, image.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGBA64)}) {
        const PngRead read = readPng(writePng(source));
        ASSERT_EQ(read.outcome, PngRead::Outcome::read) << read.reason.toStdString();
        EXPECT_EQ(read.image.convertToFormat(source.format()), source) << source.format();
    }
}

// Every malformed file is refused with a reason, and what this reader
// leaves to Qt's is said so.
TEST(PngReader, RefusesMalformedFilesAndPassesOnWhatItLeavesToQt)
{
    std::mt19937 random(3);
    const QByteArray good = writeWithLibpng({20, 10, 2, 8}, random);
    ASSERT_EQ(readPng(good).outcome, PngRead::Outcome::read);
    const QByteArray head = good.left(8 + 25); // signature and header
    const qsizetype idat = good.indexOf("IDAT") - 4;
    const qsizetype idatLength = qFromBigEndian<quint32>(good.constData() + idat);
    const QByteArray idatChunk = good.mid(idat, idatLength + 12);
    const QByteArray end = pngChunk("IEND", {});
    const auto withByte = [&](qsizetype at, char value) {
        QByteArray changed = good;
        changed[at] = value;
        return changed;
    };
    QByteArray header = good.mid(8 + 8, 13);
    const auto withHeader = [&](int at, char value) {
        QByteArray changed = header;
        changed[at] = value;
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", changed) + idatChunk + end;
    };
    // The stream's own checksum broken, the chunk's CRC made good again.
    QByteArray stream = good.mid(idat + 8, idatLength);
    stream[stream.size() - 1] = char(stream[stream.size() - 1] ^ 1);
    const QByteArray badAdler = head + pngChunk("IDAT", stream) + end;
    QByteArray big = header;
    qToBigEndian(quint32(16385), big.data());

    QByteArray damagedText = pngChunk("tEXt", "a\0b"), damagedPalette = pngChunk("PLTE", "abc");
    damagedText[damagedText.size() - 1] = char(damagedText[damagedText.size() - 1] ^ 1);
    damagedPalette[damagedPalette.size() - 1] = char(damagedPalette[damagedPalette.size() - 1] ^ 1);
    using Outcome = PngRead::Outcome;
    const struct {
        const char *what;
        QByteArray bytes;
        Outcome outcome;
    } cases[] = {
        {"empty", {}, Outcome::malformed},
        {"not a PNG", QByteArray("GIF89a") + good.mid(6), Outcome::malformed},
        {"cut in a chunk", good.left(good.size() - 20), Outcome::malformed},
        {"cut before IEND", good.left(good.size() - 12), Outcome::malformed},
        {"a CRC wrong", withByte(idat + 8 + idatLength + 3, char(good[idat + 8 + idatLength + 3] ^ 1)),
         Outcome::malformed},
        {"the Adler-32 wrong", badAdler, Outcome::malformed},
        {"a chunk claiming 4 GiB", withByte(idat, char(0xff)), Outcome::malformed},
        {"no header", QByteArray("\x89PNG\r\n\x1a\n", 8) + idatChunk + end, Outcome::malformed},
        {"no image data", head + end, Outcome::malformed},
        {"width 0", withHeader(3, 0), Outcome::malformed},
        {"16385 wide", QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", big) + idatChunk + end,
         Outcome::malformed},
        {"depth 3", withHeader(8, 3), Outcome::malformed},
        {"colour type 5", withHeader(9, 5), Outcome::malformed},
        {"filter method 1", withHeader(11, 1), Outcome::malformed},
        {"too little data for its rows", withHeader(7, 11), Outcome::malformed},
        {"an unknown critical chunk", head + pngChunk("ABCD", "x") + idatChunk + end, Outcome::malformed},
        {"an ancillary chunk is skipped", head + pngChunk("tEXt", "a\0b") + idatChunk + end, Outcome::read},
        {"a damaged ancillary chunk too, as libpng does", head + damagedText + idatChunk + end, Outcome::read},
        {"a damaged critical chunk is not", head + damagedPalette + idatChunk + end, Outcome::malformed},
        {"interlaced", withHeader(12, 1), Outcome::unsupported},
        {"a colour profile", head + pngChunk("gAMA", QByteArray("\0\0\xb1\x8f", 4)) + idatChunk + end,
         Outcome::unsupported},
    };
    for (const auto &c : cases) {
        const PngRead read = readPng(c.bytes);
        EXPECT_EQ(read.outcome, c.outcome) << c.what << ": " << read.reason.toStdString();
        EXPECT_EQ(read.image.isNull(), c.outcome != Outcome::read) << c.what;
        if (c.outcome != Outcome::read) {
            EXPECT_FALSE(read.reason.isEmpty()) << c.what;
        }
    }
}

// Whatever the bytes, the intake gets the right image or a reason: PNGs our
// reader handles read in its formats, the ones it leaves to Qt's reader and
// every other type read by Qt's, and damaged PNGs refused, not guessed at.
TEST(ImageDecode, ReadsEveryTypeAndRefusesDamagedPngs)
{
    std::mt19937 random(5);
    const QImage picture = noiseImage(24, 9);
    // Over 2 MiB of pixels: read into memory of large pages, Qt's readers too.
    const QImage large = noiseImage(1000, 700);
    const QByteArray interlaced = writeWithLibpng({24, 9, 2, 8, true}, random);
    const QByteArray largeInterlaced = writeWithLibpng({1000, 700, 6, 8, true}, random);
    const QByteArray grey = writeWithLibpng({13, 4, 0, 1}, random);
    QByteArray damaged = encoded(picture, "PNG");
    damaged.chop(30);
    const struct {
        const char *what;
        QByteArray bytes;
        QImage expected; // null: refused
        QImage::Format format;
        bool largePages = false;
    } cases[] = {
        {"a PNG", encoded(picture, "PNG"), picture, QImage::Format_RGB32},
        {"a 1-bit grey PNG, by ours (Qt's makes it Mono)", grey, readWithLibpng(grey), QImage::Format_Grayscale8},
        {"an interlaced PNG, by Qt", interlaced, readWithLibpng(interlaced), QImage::Format_RGB32},
        {"a BMP", encoded(picture, "BMP"), picture, QImage::Format_RGB32},
        {"a large PNG", encoded(large, "PNG"), large, QImage::Format_RGB32, true},
        {"a large interlaced PNG with alpha, by Qt", largeInterlaced, readWithLibpng(largeInterlaced),
         QImage::Format_ARGB32, true},
        {"a large BMP", encoded(large, "BMP"), large, QImage::Format_RGB32, true},
        {"a damaged PNG", damaged, {}, QImage::Format_Invalid},
        {"no image", QByteArray("hello"), {}, QImage::Format_Invalid},
    };
    for (const auto &c : cases) {
        QString reason;
        const QImage image = decodeImage(c.bytes, &reason);
        EXPECT_EQ(image.format(), c.format) << c.what;
        EXPECT_EQ(image.isNull(), reason.isEmpty() == false) << c.what;
        if (!c.expected.isNull()) {
            EXPECT_EQ(asRgba(image, false), asRgba(c.expected, false)) << c.what;
        }
        // Large pages are 2 MiB apart; an ordinary image's pixels follow a header.
        if (!image.isNull()) {
            EXPECT_EQ(quintptr(image.constBits()) % (2 << 20) == 0, c.largePages) << c.what;
        }
    }
    // A colour profile is kept: Qt's reader reads such files.
    QImage profiled = large;
    profiled.setColorSpace(QColorSpace::DisplayP3);
    const QByteArray withProfile = encoded(profiled, "PNG");
    ASSERT_TRUE(withProfile.contains("iCCP"));
    const QImage readProfiled = decodeImage(withProfile);
    EXPECT_EQ(readProfiled.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
    EXPECT_EQ(asRgba(readProfiled, false), asRgba(profiled, false));
}

} // namespace
} // namespace pintora
