#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pintora {

// Whether `bytes` begin as a PNG does.
bool looksLikePng(const QByteArray &bytes);

// The image in `bytes`: a PNG by our reader (by Qt's where ours leaves it a
// case it does not handle), any other type by Qt's. Null when the bytes hold
// no readable image or memory runs out; `reason`, when given, then says why.
QImage decodeImage(const QByteArray &bytes, QString *reason = nullptr);

} // namespace pintora
