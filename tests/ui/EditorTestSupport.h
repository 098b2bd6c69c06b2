#pragma once

#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "ui/CanvasView.h"
#include "ui/ImageEditorView.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace pintora {

// An editor shown on an 800 x 600 image, with what it hands back recorded.
class EditorTest : public ::testing::Test
{
protected:
    EditorTest()
        : source(noiseImage(800, 600))
        , editor(source)
    {
        QObject::connect(&editor, &ImageEditorView::cropped, [this](const QImage &image, const QRect &area) {
            ++cropCalls;
            cropped = area.isEmpty() ? QImage() : image.copy(area);
        });
        editor.show();
        QCoreApplication::processEvents();
        // One canvas point per image pixel (the toolbar needs more width than
        // the image), so that drags land on exact pixels.
        // The toolbar's height follows the width: set that first.
        editor.resize(1200, 800);
        QCoreApplication::processEvents();
        editor.resize(1200, 600 + canvas().y());
        QCoreApplication::processEvents();
        EXPECT_EQ(canvas().size(), QSize(1200, 600));
    }

    CanvasView &canvas() { return *editor.canvasView(); }
    EditorDocument &doc() { return editor.document(); }
    const RectangleStyle &style() { return doc().rectangleStyle(); }

    // The canvas point over image pixel (px, py), pixel space (y up).
    QPoint at(double px, double py)
    {
        const QRectF view = geometry::pixelToView(QRectF(px, py, 0, 0), QSizeF(canvas().size()),
                                                  doc().currentImage().size(), canvas().zoom());
        return geometry::viewPointFromWidget(view.topLeft(), canvas().height()).toPoint();
    }

    void drag(double fromX, double fromY, double toX, double toY, Qt::MouseButton button = Qt::LeftButton,
              Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(&canvas(), button, keys, at(fromX, fromY));
        QTest::mouseMove(&canvas(), at(toX, toY));
        QTest::mouseRelease(&canvas(), button, keys, at(toX, toY));
    }

    QImage source;
    int cropCalls = 0;
    QImage cropped;
    ImageEditorView editor;
    ConsoleCapture console;
};

using Lines = std::vector<std::string>;

} // namespace pintora
