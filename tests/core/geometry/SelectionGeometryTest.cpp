#include "core/geometry/SelectionGeometry.h"

#include <gtest/gtest.h>

namespace pintora {
namespace {

using namespace geometry;

TEST(SelectionGeometry, CornersSnapToWholePixelsAndEdgesReachTheirSide)
{
    const QSizeF image(1920, 1080);
    const struct {
        QPointF pixel;
        double reach;
        QPointF expected;
    } cases[] = {
        {{10.4, 20.6}, 0.5, {10, 21}},       {{10.5, 0.49}, 0.5, {11, 0}}, {{1917.2, 1079.2}, 2.9, {1920, 1080}},
        {{1917.2, 1076}, 2.9, {1920, 1076}}, {{2.8, 3}, 2.9, {0, 3}},      {{2.8, 3}, 0.5, {3, 3}},
        {{-5, 2000}, 0.5, {0, 1080}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(snapToPixelCorner(c.pixel, image, c.reach), c.expected) << c.pixel.x() << "," << c.pixel.y();
}

TEST(SelectionGeometry, APressTakesTheNearestCornerOrSideElseTheInside)
{
    const QRectF shown(100, 100, 200, 100); // view space: x 100 to 300, y 100 (lower) to 200
    const struct {
        QPointF at;
        Handle expected;
    } cases[] = {
        {{100, 100}, Handle::bottomLeft},  {{305, 195}, Handle::topRight}, {{96, 204}, Handle::topLeft},
        {{300, 100}, Handle::bottomRight}, {{200, 103}, Handle::bottom},   {{200, 198}, Handle::top},
        {{102, 150}, Handle::left},        {{299, 150}, Handle::right},    {{200, 150}, Handle::inside},
        {{200, 207}, Handle::none},        {{90, 150}, Handle::none},      {{400, 400}, Handle::none},
    };
    for (const auto &c : cases)
        EXPECT_EQ(handleAt(shown, c.at, 6), c.expected) << c.at.x() << "," << c.at.y();
    // A small selection: its sides reach a third inside, the middle moves it.
    EXPECT_EQ(handleAt(QRectF(100, 100, 6, 6), {101, 103}, 6), Handle::left);
    EXPECT_EQ(handleAt(QRectF(100, 100, 6, 6), {105.5, 103}, 6), Handle::right);
    EXPECT_EQ(handleAt(QRectF(100, 100, 6, 6), {103, 103}, 6), Handle::inside);
    EXPECT_EQ(handleAt(QRectF(100, 100, 6, 6), {97, 103}, 6), Handle::left);
    EXPECT_EQ(handleAt(QRectF(), {0, 0}, 6), Handle::none);
}

TEST(SelectionGeometry, HandlesMoveTheirEdgesWithinTheImage)
{
    const QSizeF image(1000, 500);
    const QRectF selection(100, 100, 200, 100); // right 300, top 200
    const struct {
        Handle handle;
        QPointF delta;
        QRectF expected;
    } cases[] = {
        {Handle::inside, {10, -20}, {110, 80, 200, 100}},
        {Handle::inside, {-500, 1000}, {0, 400, 200, 100}}, // stopped by the edges, size kept
        {Handle::right, {50.4, 99}, {100, 100, 250, 100}},
        {Handle::left, {-150, 0}, {0, 100, 300, 100}},
        {Handle::top, {0, 1000}, {100, 100, 200, 400}},
        {Handle::bottom, {0, -1}, {100, 99, 200, 101}},
        {Handle::topRight, {1, 1}, {100, 100, 201, 101}},
        {Handle::bottomLeft, {250, 0}, {300, 100, 50, 100}}, // the left side pulled past the right
        {Handle::none, {5, 5}, selection},
    };
    for (const auto &c : cases)
        EXPECT_EQ(adjustedSelection(selection, c.handle, c.delta, image), c.expected) << int(c.handle);
}

} // namespace
} // namespace pintora
