#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "MarksAfresh.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/png/ImageExport.h"
#include "core/tools/Tools.h"

#include <gtest/gtest.h>

#include <random>

namespace pintora {
namespace {

// What the document should hold, kept the simple way: the image as last
// replaced and its list of marks, after every step; undo and redo step
// through the states. Nudges of one mark in a row are one step.
struct ReferenceDocument {
    struct State {
        QImage base;
        std::vector<ListedMark> marks;
    };
    struct Step {
        State after;
        int nudged; // the mark a nudge moved; -1 for other steps
    };
    State initial;
    std::vector<Step> steps;
    int index = 0;

    const State &current() const { return index > 0 ? steps[std::size_t(index - 1)].after : initial; }
    void push(State state, int nudged = -1)
    {
        steps.resize(std::size_t(index));
        if (nudged >= 0 && index > 0 && steps.back().nudged == nudged) {
            steps.back().after = std::move(state);
            return;
        }
        steps.push_back({std::move(state), nudged});
        ++index;
    }
    // A step that changes nothing, keeping what can be redone.
    void pushEmpty()
    {
        steps.insert(steps.begin() + index, Step{current(), -1});
        ++index;
    }
    void undo() { index = std::max(index - 1, 0); }
    void redo() { index = std::min(index + 1, int(steps.size())); }
};

::testing::AssertionResult samePixels(const QImage &actual, const QImage &expected)
{
    if (actual.convertToFormat(QImage::Format_ARGB32) == expected.convertToFormat(QImage::Format_ARGB32))
        return ::testing::AssertionSuccess();
    int differing = 0;
    for (int y = 0; y < std::min(actual.height(), expected.height()); ++y)
        for (int x = 0; x < std::min(actual.width(), expected.width()); ++x)
            differing += actual.pixel(x, y) != expected.pixel(x, y);
    return ::testing::AssertionFailure() << differing << " pixels differ (" << actual.width() << "x" << actual.height()
                                         << " against " << expected.width() << "x" << expected.height() << ")";
}

class MarkHistory : public ::testing::TestWithParam<unsigned>
{
};

// Random marks of every tool, blurs among them (often side by side), picked,
// moved, reshaped, restyled, nudged, retyped and deleted, with crops,
// pastes, mode switches, undos and redos between: after every step the
// pixels are the list burned afresh on the image as last replaced, and
// undoing everything gives back the first image's very bytes.
TEST_P(MarkHistory, ThePixelsAreAlwaysTheListBurnedAfresh)
{
    std::mt19937 random(GetParam());
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    const auto uniform = [&](double from, double to) { return std::uniform_real_distribution<>(from, to)(random); };
    // Small images crowd the marks together; larger ones leave many alone.
    QImage original = GetParam() % 2 ? noiseImage(160, 120) : noiseImage(480, 360);
    if (GetParam() % 3 == 0) { // a palette image, converted for the first mark
        original = original.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    }
    ConsoleCapture quiet;
    EditorDocument document;
    document.setImage(original);
    ReferenceDocument reference;
    reference.initial = {original, {}};
    const RectangleStyle styles[] = {{QColor(255, 0, 0), 3.0, false, false},
                                     {QColor(0, 255, 255), 5.0, true, false},
                                     {QColor(255, 255, 0), 1.0, false, false}};

    for (int i = 0; i < 140; ++i) {
        const int kind = below(16);
        ReferenceDocument::State next = reference.current();
        const QSizeF size = document.currentImage().size();
        const int count = int(next.marks.size());
        const int target = count ? below(count) : -1;
        if (kind < 5) { // a new mark; a third of them blurs, beside another one at times
            const Tool &tool = kind < 2 ? blurTool() : *allTools()[std::size_t(below(int(allTools().size())))];
            QRectF box(uniform(-10, size.width() - 10), uniform(-10, size.height() - 10), uniform(3, 60),
                       uniform(3, 40));
            if (kind == 0 && count && next.marks.back().first == &blurTool()) {
                const QRectF last = next.marks.back().second.rect;
                box = QRectF(last.right(), last.top() + uniform(-5, 5), uniform(5, 40), last.height());
            }
            box &= QRectF(QPointF(0, 0), size);
            if (!geometry::hasArea(box))
                continue;
            Mark mark;
            mark.rect = i % 2 ? QRectF(box.toAlignedRect() & QRect(QPoint(0, 0), size.toSize())) : box;
            mark.from = box.topLeft();
            mark.to = box.bottomRight();
            mark.path = {mark.from, QPointF(box.left(), box.bottom()), box.center(), mark.to};
            mark.constrained = i % 3 == 0;
            mark.style = styles[below(3)];
            mark.number = i;
            mark.text = QStringLiteral("Grüße %1").arg(i);
            mark.textSize = 10 + i % 12;
            if (!tool.accepts(mark.inBitmap(size.height())))
                continue;
            ASSERT_TRUE(document.drawMark(tool, mark));
            next.marks.emplace_back(&tool, mark);
            reference.push(next);
        } else if (kind == 5) { // a mode switch: a step that changes nothing
            document.press(document.drawMode() == DrawMode::selection ? DrawMode::rectangle : DrawMode::selection,
                           {1, 1});
            document.cancelDrag();
            reference.pushEmpty();
        } else if (kind == 6 && below(3) == 0 && size.width() > 60) { // a crop keeps the marks' pixels
            const QRectF selection(uniform(0, 10), uniform(0, 10), size.width() - 15, size.height() - 12);
            document.setSelectionRect(selection);
            document.crop();
            const QImage burned = burnedAfresh(next.base, next.marks);
            reference.push({cutOut(burned, geometry::bitmapRectFromPixel(selection, size.height())), {}});
        } else if (kind == 6 && below(2) == 0) {
            const QImage pasted = noiseImage(90 + i, 70);
            document.paste(pasted);
            reference.push({pasted, {}});
        } else if (kind == 7 && count) { // a drag of a picked mark, by a grip its tool has
            document.pick(target);
            const auto &[tool, mark] = next.marks[std::size_t(target)];
            MarkGrip grip{MarkGrip::whole};
            if (tool->grips() == Grips::ends && below(2))
                grip = MarkGrip{below(2) ? MarkGrip::start : MarkGrip::end};
            else if (tool->grips() == Grips::rectangle && below(2))
                grip = MarkGrip{MarkGrip::edge, geometry::Handle(2 + below(8))};
            const QPointF by(uniform(-30, 30), uniform(-30, 30));
            document.grabMark(grip, {50, 50});
            document.dragMarkTo(QPointF(50, 50) + by / 2);
            document.dragMarkTo(QPointF(50, 50) + by);
            document.releaseMark();
            const Mark moved = draggedMark(mark, grip, by, false, size);
            if (moved != mark) {
                next.marks[std::size_t(target)].second = moved;
                reference.push(next);
            }
        } else if (kind == 8 && count) { // a restyle
            document.pick(target);
            const auto &[tool, mark] = next.marks[std::size_t(target)];
            RectangleStyle style = mark.style;
            switch (below(3)) {
            case 0: document.chooseColor(style.color = QColor::fromHsv(below(360), 255, 255)); break;
            case 1: document.chooseLineWidth(style.lineWidth = EditorDocument::availableLineWidths()[below(3)]); break;
            default: document.chooseFill(style.filled = !style.filled, false); break;
            }
            const Mark restyled = tool->restyled(mark, style, size.toSize());
            if (restyled != mark) {
                next.marks[std::size_t(target)].second = restyled;
                reference.push(next);
            }
        } else if (kind == 9 && count) { // nudges, a few in a row
            document.pick(target);
            for (int n = below(3) + 1; n > 0; --n) {
                const QPointF by = QPointF(below(3) - 1, below(3) - 1) * (below(2) ? 1 : 10);
                document.nudgePicked(by);
                Mark &mark = next.marks[std::size_t(target)].second;
                const Mark moved = draggedMark(mark, MarkGrip{MarkGrip::whole}, by, false, size);
                if (moved != mark) {
                    mark = moved;
                    reference.push(next, target);
                }
            }
        } else if (kind == 10 && count) {
            document.pick(target);
            document.deletePicked();
            next.marks.erase(next.marks.begin() + target);
            reference.push(next);
        } else if (kind == 11 && count && next.marks[std::size_t(target)].first == &textTool()) {
            // Typed again: words added, or all of them erased (it goes).
            document.pick(target);
            ASSERT_TRUE(document.retypePicked());
            const bool erase = below(3) == 0;
            if (erase)
                while (!document.typedMark().text.isEmpty())
                    document.eraseText();
            else
                document.typeText(QStringLiteral(" +"));
            document.commitText();
            if (erase)
                next.marks.erase(next.marks.begin() + target);
            else
                next.marks[std::size_t(target)].second.text += QStringLiteral(" +");
            reference.push(next);
        } else if (kind >= 12 && kind < 15) {
            document.performUndo();
            reference.undo();
        } else if (kind == 15) {
            document.performRedo();
            reference.redo();
        }
        const ReferenceDocument::State &state = reference.current();
        ASSERT_EQ(document.marks().size(), int(state.marks.size())) << "after step " << i << ", kind " << kind;
        for (int m = 0; m < document.marks().size(); ++m) {
            ASSERT_EQ(document.marks().at(m).tool, state.marks[std::size_t(m)].first) << "step " << i;
            ASSERT_TRUE(document.marks().at(m).mark == state.marks[std::size_t(m)].second) << "step " << i;
        }
        ASSERT_TRUE(samePixels(document.currentImage(), burnedAfresh(state.base, state.marks)))
            << "after step " << i << ", kind " << kind;
        ASSERT_EQ(document.undoCount(), reference.index) << "step " << i;
        ASSERT_EQ(document.redoCount(), int(reference.steps.size()) - reference.index) << "step " << i;
    }
    while (document.undoCount() > 0)
        document.performUndo();
    EXPECT_EQ(document.currentImage().format(), original.format());
    EXPECT_EQ(document.currentImage(), original);
}
INSTANTIATE_TEST_SUITE_P(Seeds, MarkHistory, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 20261208u));

} // namespace
} // namespace pintora
