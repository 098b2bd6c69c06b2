#include "app/ClipboardHolder.h"

#include <QProcess>
#include <QStandardPaths>

namespace pintora {

QString handClipboardToHolder(const ClipboardImage &image, const QString &program, int timeoutMs)
{
    if (!image.bytes.valid())
        return QStringLiteral("no image");
    const QByteArray bytes = image.bytes.get(); // waits for a running encode
    if (bytes.isEmpty())
        return QStringLiteral("the image could not be encoded");
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return QStringLiteral("%1 is not installed").arg(program);
    QProcess holder;
    // It stays in the background, serving, after this process ends: it must
    // not hold our terminal's output open, nor write to it.
    holder.setStandardOutputFile(QProcess::nullDevice());
    holder.setStandardErrorFile(QProcess::nullDevice());
    // wl-copy reads the bytes, forks a server and ends.
    holder.start(found, {QStringLiteral("--type"), image.type});
    if (!holder.waitForStarted(timeoutMs))
        return QStringLiteral("%1 did not start: %2").arg(program, holder.errorString());
    holder.write(bytes);
    holder.closeWriteChannel();
    if (!holder.waitForFinished(timeoutMs))
        return QStringLiteral("%1 did not take the image in time").arg(program);
    if (holder.exitStatus() != QProcess::NormalExit || holder.exitCode() != 0)
        return QStringLiteral("%1 failed with exit code %2").arg(program).arg(holder.exitCode());
    return {};
}

} // namespace pintora
