#include "core/png/PngReader.h"

#include <QtEndian>

#include <isa-l/crc.h>

#include <cstddef>
#include <cstdint>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t *data, std::size_t size, std::size_t maxSize);

// Mutations as libFuzzer makes them, then every whole chunk's CRC made good
// again: the reader checks CRCs as it always does, and mutations still reach
// what lies behind them.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t *data, std::size_t size, std::size_t maxSize, unsigned int)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    for (std::size_t at = 8; size >= 12 && at <= size - 12;) {
        const std::uint32_t length = qFromBigEndian<quint32>(data + at);
        if (length > size - at - 12)
            break;
        qToBigEndian<quint32>(crc32_gzip_refl(0, data + at + 4, std::uint64_t(length) + 4), data + at + 8 + length);
        at += std::size_t(length) + 12;
    }
    return size;
}

// Any bytes: a clear outcome, never a crash, an overrun or a hang; an image
// only when the reader says it read one, of the size its header gave.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const pintora::PngRead read = pintora::readPng(bytes, QSize(512, 512));
    if ((read.outcome == pintora::PngRead::Outcome::read) == read.image.isNull())
        __builtin_trap();
    if (read.outcome == pintora::PngRead::Outcome::read
        && read.image.size() != QSize(qFromBigEndian<qint32>(data + 16), qFromBigEndian<qint32>(data + 20)))
        __builtin_trap();
    return 0;
}
