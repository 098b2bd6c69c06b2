#pragma once

#include <QByteArray>
#include <QImage>
#include <QtEndian>

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace pintora {

// A PNG chunk: its length, type, data and CRC.
inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    const QByteArray typed = QByteArray(type, 4) + data;
    out += typed;
    QByteArray crc(4, '\0');
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))), crc.data());
    return out + crc;
}

// What libpng reads from `png`, every colour type expanded to straight RGBA
// at the file's own depth (RGBA64 for 16 bits, RGBA8888 otherwise) with no
// gamma or other colour change; null when libpng refuses the file.
inline QImage readWithLibpng(const QByteArray &png)
{
    // Refusals and warnings (what libpng reads past) are what tests look
    // at, not what they print.
    png_structp reader = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp png, png_const_charp) { png_longjmp(png, 1); },
        [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(reader);
    struct Input {
        const QByteArray &bytes;
        qsizetype at = 0;
    } input{png};
    QImage image;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        return {};
    }
    png_set_read_fn(reader, &input, [](png_structp read, png_bytep out, png_size_t length) {
        auto *in = static_cast<Input *>(png_get_io_ptr(read));
        if (in->at + qsizetype(length) > in->bytes.size())
            png_error(read, "truncated");
        std::memcpy(out, in->bytes.constData() + in->at, length);
        in->at += qsizetype(length);
    });
    png_read_info(reader, info);
    const bool deep = png_get_bit_depth(reader, info) == 16;
    png_set_expand(reader); // palette, low grey depths and tRNS to 8-bit samples with alpha
    png_set_gray_to_rgb(reader);
    png_set_add_alpha(reader, deep ? 0xffff : 0xff, PNG_FILLER_AFTER);
    if (deep)
        png_set_swap(reader); // Qt's 16-bit samples are in the machine's order
    png_read_update_info(reader, info);
    image = QImage(int(png_get_image_width(reader, info)), int(png_get_image_height(reader, info)),
                   deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
    for (int y = 0; y < image.height(); ++y)
        rows.push_back(image.scanLine(y));
    png_read_image(reader, rows.data());
    png_read_end(reader, nullptr);
    png_destroy_read_struct(&reader, &info, nullptr);
    return image;
}

} // namespace pintora
