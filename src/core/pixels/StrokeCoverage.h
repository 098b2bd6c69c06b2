#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRect>

// A wide stroke rasterised by its distance from the line: round caps and
// joins, antialiased, and each pixel covered once however often the line
// passes it.
namespace pintora {

// How much of each pixel of `bounds` a stroke of `width` along `line` covers,
// 0 to 255, in an Alpha8 image whose pixel (0, 0) is `bounds`' top-left.
// Null when memory runs out.
QImage strokeCoverage(const QPolygonF &line, double width, const QRect &bounds);

// `color`, made opaque, at each pixel's coverage: an ARGB32 premultiplied
// layer to paint with.
QImage coloredCoverage(const QImage &coverage, const QColor &color);

} // namespace pintora
