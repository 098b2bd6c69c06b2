#include "core/png/FileReplace.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pintora {
namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString replaceFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() && !info.symLinkTarget().isEmpty() ? info.symLinkTarget() : path;
    struct stat existing {
    };
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode))
        return systemReason(replacing && S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);

    // Made as any new file is, so that the umask applies; a name no one has.
    const QString beside = QFileInfo(target).absolutePath() + QLatin1String("/.") + QFileInfo(target).fileName();
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = QFile::encodeName(beside + QLatin1Char('.')
                                      + QString::number(QRandomGenerator::system()->generate(), 36));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return systemReason(errno);
    // Whatever fails from here, the temporary file goes and the reason stays.
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return systemReason(error);
    };
    if (replacing && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return fail(errno);
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t step = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            return fail(step < 0 ? errno : ENOSPC);
        written += step;
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return systemReason(error);
    }
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return systemReason(error);
    }
    return {};
}

} // namespace pintora
