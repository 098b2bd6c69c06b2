// Any settings file: read without fault or wait, and what it yields is only
// what the toolbar offers, or nothing with a reason.
#include "app/ChoicesFile.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    static const pintora::Offered offered{
        {QStringLiteral("box"), QStringLiteral("ellipse")}, {QColor(255, 0, 0), QColor(0, 0, 255)}, {1.0, 3.0, 5.0}};
    static int count = 0;
    // A new name each time: Qt keeps files it read, by name, size and time.
    const QString path = QDir::tempPath() + QStringLiteral("/pintora-fuzz-%1-%2.conf").arg(getpid()).arg(++count);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qsizetype(size));
    }
    QString problem;
    const pintora::Choices read = pintora::readChoices(path, offered, &problem);
    QFile::remove(path);
    if (!problem.isEmpty()) {
        if (!read.tool.isEmpty() || !read.color.isEmpty() || read.width != 0 || !read.fill.isEmpty()
            || !read.saveFolder.isEmpty() || !read.saveFormat.isEmpty())
            std::abort(); // a refused file gives nothing
        return 0;
    }
    if ((!read.tool.isEmpty() && !offered.tools.contains(read.tool))
        || (!read.color.isEmpty() && !offered.colors.contains(QColor::fromString(read.color)))
        || (read.width != 0 && !offered.widths.contains(read.width))
        || (!read.fill.isEmpty() && !pintora::fillNames().contains(read.fill))
        || (!read.saveFolder.isEmpty() && !QDir::isAbsolutePath(read.saveFolder)))
        std::abort();
    return 0;
}
