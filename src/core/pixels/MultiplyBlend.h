#pragma once

#include <QColor>
#include <QImage>

// The highlighter's blend: a colour multiplied into an image, so that what
// lies under it darkens by the colour and dark stays dark.
namespace pintora {

// Multiplies `color` (opaque), at `strength` times the coverage in
// `coverage` (Alpha8, 255 full), into `pixels` (the same size), as
// QPainter's Multiply mode at that opacity does. The common 32-bit formats
// are blended in place by table; any other goes through QPainter.
void multiplyCoverage(QImage &pixels, const QImage &coverage, const QColor &color, double strength);

} // namespace pintora
