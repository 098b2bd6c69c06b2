#include "EditorTestSupport.h"

namespace {

// The cut-out holds source pixels from (left, top) on, in bitmap rows.
void expectPixelsFrom(const QImage &cut, const QImage &source, int left, int top)
{
    for (int y = 0; y < cut.height(); ++y)
        for (int x = 0; x < cut.width(); ++x)
            ASSERT_EQ(cut.pixel(x, y), source.pixel(left + x, top + y)) << x << "," << y;
}

} // namespace

TEST_F(EditorTest, CropCutsTheSelectedRowsCountedFromTheTop)
{
    canvas().setSelectionRect(QRectF(100, 50, 200, 150));
    editor.performCrop(false);
    EXPECT_EQ(console.lines(), (Lines{
                                   "📐 Image: 800×600 px",
                                   "📐 Selection: (100.0, 50.0, 200.0, 150.0)",
                                   "📐 Crop rect (flipped Y): (100.0, 400.0, 200.0, 150.0)",
                                   "✅ Cropped to: 200×150 px",
                                   "🔄 New image on canvas",
                               }));
    const QImage cut = canvas().currentImage();
    ASSERT_EQ(cut.size(), QSize(200, 150));
    EXPECT_EQ(cut.devicePixelRatio(), 1.0);
    expectPixelsFrom(cut, source, 100, 400); // rows 400 to 549, columns 100 to 299
    EXPECT_EQ(editor.currentImage(), cut);
    EXPECT_EQ(editor.selectionRect(), QRectF());
    EXPECT_EQ(canvas().selectionRect(), QRectF());
    EXPECT_TRUE(editor.undoStack().isEmpty());
    EXPECT_EQ(cropCalls, 0);
}

TEST_F(EditorTest, CropAndCopyHandsTheCutOutBackAndChangesNothing)
{
    drag(100, 50, 300, 200); // a real left drag selects (100, 50, 200, 150)
    console.clear();
    editor.performCrop(true);
    EXPECT_EQ(console.lines().size(), 4u);
    EXPECT_EQ(console.lines().back(), "✅ Cropped to: 200×150 px");
    EXPECT_EQ(cropCalls, 1);
    ASSERT_EQ(cropped.size(), QSize(200, 150));
    expectPixelsFrom(cropped, source, 100, 400);
    EXPECT_EQ(canvas().currentImage(), source);
    EXPECT_EQ(editor.selectionRect(), QRectF(100, 50, 200, 150));
}

TEST_F(EditorTest, FractionalEdgesTakeEveryTouchedPixel)
{
    canvas().setSelectionRect(QRectF(10.4, 599.5, 100.2, 0.5)); // touches the top edge
    editor.performCrop(false);
    EXPECT_EQ(console.lines()[2], "📐 Crop rect (flipped Y): (10.4, 0.0, 100.2, 0.5)");
    const QImage cut = canvas().currentImage();
    ASSERT_EQ(cut.size(), QSize(101, 1)); // columns 10 to 110
    expectPixelsFrom(cut, source, 10, 0);
}

TEST_F(EditorTest, CropWithNothingSelectedSaysNothing)
{
    editor.performCrop(false);
    EXPECT_EQ(console.lines(), Lines{});
    EXPECT_EQ(canvas().currentImage(), source);

    editor.performCrop(true); // the window closes, nothing is copied
    EXPECT_EQ(cropCalls, 1);
    EXPECT_TRUE(cropped.isNull());

    canvas().setSelectionRect(QRectF(10, 10, 50, 0)); // no height
    editor.performCrop(true);
    EXPECT_EQ(cropCalls, 2);
    EXPECT_TRUE(cropped.isNull());
    EXPECT_EQ(console.lines(), Lines{});
}

TEST_F(EditorTest, CropOutsideTheImageReportsOnlyItsGeometry)
{
    canvas().setSelectionRect(QRectF(900, 10, 50, 50));
    editor.performCrop(true);
    EXPECT_EQ(console.lines().size(), 3u);
    EXPECT_EQ(cropCalls, 1);
    EXPECT_TRUE(cropped.isNull());
}
