#pragma once

#include <QImage>
#include <QString>

namespace pintora {

// The image in the file at `path`, or why it cannot be had.
struct ReadFile {
    QImage image;
    QString reason;
};

// Reads and decodes the image file at `path`: ours for a PNG, Qt's for the
// rest. Only a regular file is read, opened so that a FIFO or a device cannot
// hold the read. Slow for a large file: call it off the GUI thread.
ReadFile readImageFile(const QString &path);

} // namespace pintora
