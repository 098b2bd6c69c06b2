#include "ImageTestSupport.h"
#include "ui/Theme.h"
#include "core/EditorDocument.h"
#include "ui/CanvasView.h"
#include "i18n/Translations.h"

#include <QTest>

#include <gtest/gtest.h>

namespace pintora {

namespace {

const QColor grey(128, 128, 128);
const QColor blue(0, 0, 255);

QImage paint(CanvasView &canvas)
{
    return canvas.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels brighter than mid-grey.
QRect brightBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Widget x of the pixels across a vertical edge, on one row.
QColor pixelAt(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

TEST(CanvasPaint, WithoutAnImageShowsTheCentredMessageOnBlack)
{
    EditorDocument document;
    CanvasView canvas{document};
    canvas.resize(800, 600);
    const QImage wide = paint(canvas);
    EXPECT_EQ(pixelAt(wide, 0, 0), QColor(Qt::black));
    EXPECT_EQ(pixelAt(wide, 799, 599), QColor(Qt::black));
    const QRect text = brightBox(wide);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), 400, 4);
    EXPECT_NEAR(text.center().y(), 300, 6);
    EXPECT_LE(text.width(), 640);
    EXPECT_GT(text.height(), 40); // two lines

    // A narrow canvas wraps the lines at 80 % of its width.
    canvas.resize(200, 600);
    const QRect wrapped = brightBox(paint(canvas));
    EXPECT_LE(wrapped.width(), 160);
    EXPECT_GT(wrapped.height(), text.height());
    EXPECT_NEAR(wrapped.center().x(), 100, 4);
}

TEST(CanvasPaint, TransparentPixelsShowTheBlackGround)
{
    EditorDocument document;
    CanvasView canvas{document};
    canvas.resize(400, 300);
    document.setImage(solidImage(100, 75, QColor(255, 0, 0, 128), QImage::Format_ARGB32));
    EXPECT_TRUE(colorNear(paint(canvas).pixelColor(200, 150), QColor(128, 0, 0)));
}

class CanvasOverlayTest : public ::testing::Test
{
protected:
    // 100 x 75 pixels at 4 points per pixel, filling the 400 x 300 canvas.
    void SetUp() override
    {
        canvas.resize(400, 300);
        document.setImage(solidImage(100, 75, grey));
    }
    static QPoint at(double px, double py) { return QPoint(int(px * 4), int(300 - py * 4)); }

    EditorDocument document;
    CanvasView canvas{document};
};

TEST_F(CanvasOverlayTest, ImageFillsTheFittedRectangleOnBlack)
{
    canvas.resize(400, 400); // margins of 50 above and below
    const QImage image = paint(canvas);
    EXPECT_EQ(pixelAt(image, 200, 40), QColor(Qt::black));
    EXPECT_EQ(pixelAt(image, 200, 60), grey);
    EXPECT_EQ(pixelAt(image, 200, 340), grey);
    EXPECT_EQ(pixelAt(image, 200, 360), QColor(Qt::black));
}

TEST_F(CanvasOverlayTest, SelectionDimsOnlyWhatLiesOutsideIt)
{
    // Pixels (25, 20, 50, 30) show at widget x 100 to 300, y 100 to 220.
    QTest::mousePress(&canvas, Qt::LeftButton, {}, at(25, 50));
    QTest::mouseMove(&canvas, at(75, 20));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at(75, 20));
    ASSERT_EQ(document.selectionRect(), QRectF(25, 20, 50, 30));

    const QImage image = paint(canvas);
    const QColor dimmed = over(Qt::black, 0.5, grey);
    EXPECT_TRUE(colorNear(pixelAt(image, 20, 20), dimmed));
    EXPECT_TRUE(colorNear(pixelAt(image, 350, 280), dimmed));
    EXPECT_EQ(pixelAt(image, 200, 160), grey); // inside: exactly as painted
    EXPECT_EQ(pixelAt(image, 102, 160), grey);
    // A white line 2 wide centred on the edge at x = 100.
    EXPECT_EQ(pixelAt(image, 99, 160), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, 100, 160), QColor(Qt::white));
    EXPECT_TRUE(colorNear(pixelAt(image, 97, 160), dimmed));
}

TEST_F(CanvasOverlayTest, SelectionWhileDraggingHasAWiderWhiteLineUnderHalfBlue)
{
    QTest::mousePress(&canvas, Qt::LeftButton, {}, at(25, 50));
    QTest::mouseMove(&canvas, at(75, 20));
    ASSERT_TRUE(canvas.isDragging());

    const QImage image = paint(canvas);
    const QColor dimmed = over(Qt::black, 0.5, grey);
    // White covers 98.5 to 101.5, blue 97 to 103 across the edge at x = 100.
    EXPECT_TRUE(colorNear(pixelAt(image, 99, 160), over(accentColor(), 0.5, Qt::white)));
    EXPECT_TRUE(colorNear(pixelAt(image, 97, 160), over(accentColor(), 0.5, dimmed)));
    EXPECT_TRUE(colorNear(pixelAt(image, 102, 160), over(accentColor(), 0.5, grey)));
    EXPECT_TRUE(colorNear(pixelAt(image, 95, 160), dimmed));
    EXPECT_EQ(pixelAt(image, 104, 160), grey);
}

TEST_F(CanvasOverlayTest, AZeroSizeSelectionDrawsNoOverlay)
{
    QTest::mousePress(&canvas, Qt::LeftButton, {}, at(25, 50));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at(25, 50));
    const QImage image = paint(canvas);
    EXPECT_EQ(pixelAt(image, 20, 20), grey);
    EXPECT_EQ(pixelAt(image, 100, 100), grey);
}

class CanvasPreviewTest : public ::testing::Test
{
protected:
    // 100 x 75 pixels at 2 points per pixel: widths on screen are doubled.
    void SetUp() override
    {
        canvas.resize(200, 150);
        document.setImage(solidImage(100, 75, blue));
        document.chooseLineWidth(3);
    }
    // Right drag over pixels (25, 20) to (75, 50): widget x 50 to 150, y 50 to 110; kept pressed.
    QImage previewWhileDragging()
    {
        QTest::mousePress(&canvas, Qt::RightButton, {}, QPoint(50, 110));
        QTest::mouseMove(&canvas, QPoint(150, 50));
        EXPECT_EQ(document.selectionRect(), QRectF(25, 20, 50, 30));
        return paint(canvas);
    }

    EditorDocument document;
    CanvasView canvas{document};
};

TEST_F(CanvasPreviewTest, RectanglePreviewScalesItsWidthsWithTheDisplay)
{
    const QImage image = previewWhileDragging();
    // The red line is 3 pixels = 6 points (47 to 53), the white halo 10 points (45 to 55) on top.
    const QColor underHalo = over(Qt::white, 0.5, Qt::red);
    EXPECT_TRUE(colorNear(pixelAt(image, 48, 80), underHalo));
    EXPECT_TRUE(colorNear(pixelAt(image, 52, 80), underHalo));
    EXPECT_TRUE(colorNear(pixelAt(image, 46, 80), over(Qt::white, 0.5, blue)));
    EXPECT_TRUE(colorNear(pixelAt(image, 54, 80), over(Qt::white, 0.5, blue)));
    EXPECT_EQ(pixelAt(image, 56, 80), blue); // not filled
    EXPECT_EQ(pixelAt(image, 43, 80), blue);

    QTest::mouseRelease(&canvas, Qt::RightButton, {}, QPoint(150, 50));
    // Burned in at 3 image pixels; the preview is gone with the selection.
    const QImage after = paint(canvas);
    EXPECT_TRUE(colorNear(pixelAt(after, 50, 80), Qt::red));
    EXPECT_TRUE(colorNear(pixelAt(after, 46, 80), over(Qt::red, 0.5, blue), 40)); // antialiased band edge
    EXPECT_EQ(pixelAt(after, 42, 80), blue);
}

TEST_F(CanvasPreviewTest, FilledPreviewTintsTheInside)
{
    document.chooseFilled(true);
    const QImage image = previewWhileDragging();
    EXPECT_TRUE(colorNear(pixelAt(image, 100, 80), over(Qt::red, 0.3, blue)));
}

TEST_F(CanvasPreviewTest, BlurPreviewIsAGreyBodyWithBordersWhateverTheFill)
{
    document.chooseBlur();
    document.chooseFilled(true);
    const QImage image = previewWhileDragging();
    const QColor body = over(Qt::gray, 0.6, blue);
    EXPECT_TRUE(colorNear(pixelAt(image, 100, 80), body, 2));
    // Solid border 3·s = 6 wide in white at 0.8 across the edge at x = 50.
    EXPECT_TRUE(colorNear(pixelAt(image, 50, 80), over(Qt::white, 0.8, body), 2));
    // Dashed inner border inset 5·s = 10, 2·s = 4 wide: 16 on, 8 off from the corner.
    const QColor dash = over(Qt::white, 0.5, body);
    EXPECT_TRUE(colorNear(pixelAt(image, 64, 60), dash, 2));
    EXPECT_TRUE(colorNear(pixelAt(image, 80, 60), body, 2));
    EXPECT_TRUE(colorNear(pixelAt(image, 88, 60), dash, 2));
}

} // namespace pintora
