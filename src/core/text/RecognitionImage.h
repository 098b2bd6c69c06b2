#pragma once

#include <QImage>

namespace pintora {

// A region of a screenshot as text recognition reads it best: opaque over
// white, grey, dark text on a light ground (a dark ground is turned over),
// and small screen text scaled up to the size recognition was trained on.
struct RecognitionImage {
    QImage grey; // Format_Grayscale8
    int scale = 1; // of the region's pixels
    bool inverted = false;
};

// How much a region of `size` is scaled up: a small one twice, where screen
// text of 11 to 20 pixels gains, a large one not, which would cost twice.
int recognitionScale(const QSize &size);

// Null when `region` is, or cannot be allocated. `turnOver`: a dark ground
// is made light.
RecognitionImage prepareForRecognition(const QImage &region, int scale, bool turnOver = true);

} // namespace pintora
