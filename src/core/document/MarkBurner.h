#pragma once

#include <QImage>
#include <QRegion>

namespace pintora {

class MarkList;

// Burning a list of marks again over part of an image, so that its pixels
// there equal the list burned whole, in order, on the image as it was
// before any mark. Each painted mark changes a pixel from what that pixel
// held and from nothing else, so a region is burned again from its own
// pixels alone. A blur reads around its box, but never a pixel under any
// box: it depends on the painted marks before it and the boxes' shapes
// only, so a change reaches a blur's box when it changes a pixel the blur
// reads outside every box, or the boxes it reads around.
namespace burner {

// What an edit of the list changed.
struct Change {
    QRegion pixels; // whose final value may change
    QRegion boxes; // where blur boxes came, went or joined others
};

// The pixels to burn again: the change's, and the box of every blur of
// `marks` (the list after the change) that reads any of it.
QRegion changedRegion(const MarkList &marks, const Change &change);

// Burns the marks of `marks` over `region` of `image`, whose pixels there
// are what they held before any mark; each blur with pixels in the region
// is made again from the image as it was just before it. False when memory
// runs out, with `region` of `image` then half done.
bool burn(QImage &image, const MarkList &marks, const QRegion &region);

} // namespace burner

} // namespace pintora
