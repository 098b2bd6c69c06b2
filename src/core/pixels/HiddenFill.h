#pragma once

#include <QRect>

#include <cstdint>
#include <span>

namespace pintora {

// Columns `first` to `last` of one row, both included.
struct Span {
    int first;
    int last;
};

// What a blur reads in place of pixels it must not see: a fill made only
// from pixels around them, so that every secret under them gives the same.
class HiddenFill
{
public:
    virtual ~HiddenFill() = default;

    // The smallest rectangle holding every hidden pixel.
    virtual QRect bounds() const = 0;
    // The hidden columns of image row `y` (within bounds()), left to right.
    virtual std::span<const Span> spans(int y) const = 0;
    // The fill of row `y`, one premultiplied pixel a column of bounds();
    // what stands at columns that are not hidden means nothing. Called from
    // several threads at once.
    virtual void row(int y, std::uint32_t *out) const = 0;
};

} // namespace pintora
