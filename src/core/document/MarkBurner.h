#pragma once

#include <QImage>
#include <QRegion>

namespace pintora {

class MarkList;

// Burning a list of marks again over part of an image, so that its pixels
// there equal the list burned whole, in order, on the image as it was
// before any mark. Each painted mark changes a pixel from what that pixel
// held and from nothing else, so a region is burned again from its own
// pixels alone; a blur reads around its box, so it is made again only with
// everything it reads made again before it.
namespace burner {

// `changed` (bitmap space) grown until it holds everything read by each
// blur of `marks` that reads any of it: the region to burn again after the
// pixels of `changed` (or the boxes there) changed.
QRegion affectedRegion(const MarkList &marks, const QRegion &changed);

// Burns the marks of `marks` over `region` of `image`, whose pixels there
// are what they held before any mark. Every blur that reads any of the
// region must read all of it within (affectedRegion() makes it so). False
// when memory runs out, with `region` of `image` then half done.
bool burn(QImage &image, const MarkList &marks, const QRegion &region);

} // namespace burner

} // namespace pintora
