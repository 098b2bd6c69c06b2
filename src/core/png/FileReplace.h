#pragma once

#include <QByteArray>
#include <QString>

namespace pintora {

// Writes `bytes` to `path` whole or not at all: into a new file beside it,
// flushed to disk, then renamed over it, so that a full disk, a crash or a
// kill mid-write leaves the old file as it was and no piece of the new one.
// A file replaced keeps its permissions; a link is followed to its file.
// Returns the system's reason on failure ("No space left on device"), else
// an empty string.
QString replaceFile(const QString &path, const QByteArray &bytes);

} // namespace pintora
