#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace pintora {

// The choices a user makes once and expects kept. Empty or zero: the default.
struct Choices {
    QString tool; // an id of the tools' registry
    QString color; // "#rrggbb", one of the swatches
    double width = 0; // one of the widths offered
    QString fill; // one of fillNames()
    QString saveFolder; // absolute
    QString saveFormat; // "png", "jpg" or "webp"
};

// What the toolbar offers: a file may choose nothing else.
struct Offered {
    QStringList tools;
    QList<QColor> colors;
    QList<double> widths;
};

// "none", "tint", "solid".
const QStringList &fillNames();

// The choices in the INI file at `path`, and why they cannot be used (then
// none are): the file is untrusted, and one that cannot be read, is not a
// regular file, is too large, is not text of settings, or holds anything but
// what is offered is not half believed. Never waits on a FIFO or a device.
Choices readChoices(const QString &path, const Offered &offered, QString *problem);

} // namespace pintora
