#include "core/png/PngReader.h"

#include <cstddef>
#include <cstdint>

// Any bytes: a clear outcome, never a crash, an overrun or a hang; an image
// only when the reader says it read one, of the size its header gave.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const pintora::PngRead read = pintora::readPng(bytes, QSize(512, 512));
    if ((read.outcome == pintora::PngRead::Outcome::read) == read.image.isNull())
        __builtin_trap();
    return 0;
}
