#include "core/png/ImageFile.h"

#include "core/png/ImageDecode.h"

#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pintora {

ReadFile readImageFile(const QString &path)
{
    // Opened without waiting, so that a FIFO or a device cannot hold the
    // read: only a regular file is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {{}, QString::fromLocal8Bit(std::strerror(errno))};
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {{}, QStringLiteral("not a regular file")};
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {{}, file.errorString()};
    }
    ReadFile read;
    try {
        // A PNG is ours to read; the rest, read as it streams in, Qt's.
        if (looksLikePng(file.peek(8))) {
            // Larger than any PNG of an image within the decoder's limit.
            if (info.st_size > (qint64(1) << 32))
                return {{}, QStringLiteral("file too large")};
            read.image = decodeImage(file.readAll(), &read.reason);
        } else {
            QImageReader reader(&file);
            read.image = reader.read();
            read.reason = reader.errorString();
        }
    } catch (const std::bad_alloc &) {
        return {{}, QStringLiteral("not enough memory")};
    }
    return read;
}

} // namespace pintora
