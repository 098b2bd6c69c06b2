// Writes PNGs as odd encoders write them, which libpng reads and so must we:
//   odd_png FOLDER   makes FOLDER/indices-past-palette.png (palette indices
//                    past its 3 colours) and FOLDER/trns-after-idat.png
#include <zlib.h>

#include <arpa/inet.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string chunk(const char *type, const std::string &data)
{
    std::string out(4, '\0');
    const std::uint32_t length = htonl(std::uint32_t(data.size()));
    out.replace(0, 4, reinterpret_cast<const char *>(&length), 4);
    const std::string typed = std::string(type, 4) + data;
    const std::uint32_t crc
        = htonl(std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(typed.data()), uInt(typed.size()))));
    return out + typed + std::string(reinterpret_cast<const char *>(&crc), 4);
}

// A 40 x 30 image of 8-bit palette indices 0 to 39 across each row.
std::string image()
{
    std::string rows;
    for (int y = 0; y < 30; ++y) {
        rows += '\0';
        for (int x = 0; x < 40; ++x)
            rows += char(x);
    }
    std::string packed(compressBound(uLong(rows.size())), '\0');
    uLongf size = uLongf(packed.size());
    compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(rows.data()),
             uLong(rows.size()));
    packed.resize(size);
    const char header[13] = {0, 0, 0, 40, 0, 0, 0, 30, 8, 3, 0, 0, 0};
    return chunk("IHDR", std::string(header, 13)) + chunk("IDAT", packed);
}

bool write(const std::string &path, const std::string &bytes)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const std::string signature("\x89PNG\r\n\x1a\n", 8), folder = argv[1], end = chunk("IEND", "");
    const std::string data = image(), header = data.substr(0, 25), pixels = data.substr(25);
    const std::string threeColours = chunk("PLTE", std::string("\xff\0\0\0\xff\0\0\0\xff", 9));
    const std::string fortyColours = chunk("PLTE", std::string(120, '\x80'));
    const bool written = write(folder + "/indices-past-palette.png", signature + header + threeColours + pixels + end)
        && write(folder + "/trns-after-idat.png",
                 signature + header + fortyColours + pixels + chunk("tRNS", std::string(40, '\0')) + end);
    return written ? 0 : 1;
}
