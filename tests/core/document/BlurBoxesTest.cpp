#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/tools/Tools.h"

#include <gtest/gtest.h>

#include <random>

namespace pintora {
namespace {

// Two screenshots that differ only under the blur boxes drawn on them give
// the same pixels, byte for byte: boxes apart, side by side, overlapping,
// drawn in any order with other marks between them. What one box hides
// leaks neither into another's blur nor through their seam.
TEST(BlurBoxes, NothingUnderAnyBoxShowsInTheResult)
{
    std::mt19937 random(20261208);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    const auto noise
        = [&](QImage &image, const QRect &area, bool translucent) { fillWithNoise(image, area, translucent, random); };
    for (int trial = 0; trial < 60; ++trial) {
        const bool translucent = trial % 4 == 3;
        const QImage::Format format = translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        QImage first(120 + below(80), 90 + below(60), format);
        noise(first, first.rect(), translucent);
        const QSize size = first.size();
        // Boxes (pixel space), each after the one before: apart (within
        // reach of each other's blur), touching it, or overlapping it.
        std::vector<QRectF> boxes;
        for (int count = 1 + below(5); int(boxes.size()) < count;) {
            QRectF box(below(size.width() - 20), below(size.height() - 12), 6 + below(40), 4 + below(20));
            if (!boxes.empty() && below(3) > 0) {
                const QRectF &last = boxes.back();
                box.moveLeft(below(2) ? last.right() : last.left() + below(int(last.width())));
                box.moveTop(last.top() + below(9) - 4);
            }
            if (trial % 2)
                box.translate(below(100) / 100.0, below(100) / 100.0);
            box &= QRectF(QPointF(0, 0), QSizeF(size));
            if (geometry::hasArea(box))
                boxes.push_back(box);
        }
        QImage second = first.copy();
        for (const QRectF &box : boxes)
            noise(second, geometry::pixelCut(geometry::bitmapRectFromPixel(box, size.height()), size), translucent);

        // The same marks on both: the boxes in a shuffled order, with a
        // painted mark of any tool before each, often across it.
        std::shuffle(boxes.begin(), boxes.end(), random);
        std::vector<std::pair<const Tool *, Mark>> marks;
        for (const QRectF &box : boxes) {
            const Tool &tool = *allTools()[std::size_t(below(int(allTools().size()) - 1))];
            Mark painted;
            painted.from = box.center() - QPointF(below(40), below(30));
            painted.to = box.center() + QPointF(below(40), below(30));
            painted.rect = QRectF(painted.from, painted.to).normalized();
            painted.path = {painted.from, box.center(), painted.to};
            painted.style = RectangleStyle{QColor::fromHsv(below(360), 255, 255), 3.0, below(2) == 0, false};
            painted.number = 1;
            painted.text = QStringLiteral("PIN");
            painted.textSize = 14;
            marks.emplace_back(&tool, painted);
            Mark blur;
            blur.rect = box;
            marks.emplace_back(&blurTool(), blur);
        }
        QImage results[2];
        for (int i = 0; i < 2; ++i) {
            ConsoleCapture quiet;
            EditorDocument document;
            document.setImage(i == 0 ? first : second);
            for (const auto &[tool, mark] : marks)
                document.drawMark(*tool, mark);
            results[i] = document.currentImage();
        }
        ASSERT_EQ(results[0], results[1]) << "trial " << trial << ", " << boxes.size() << " boxes";
    }
}

} // namespace
} // namespace pintora
