#include "EditorTestSupport.h"
#include "ImageTestSupport.h"

TEST_F(EditorTest, OpensWithTheImageAndTheEditorsStyleInTheCanvas)
{
    EXPECT_EQ(editor.currentImage(), source);
    EXPECT_EQ(canvas().currentImage(), source);
    EXPECT_EQ(editor.drawMode(), DrawMode::selection);
    EXPECT_EQ(editor.rectColor(), QColor(Qt::red));
    EXPECT_EQ(editor.lineWidth(), 3.0);
    EXPECT_FALSE(editor.filled());
    EXPECT_FALSE(editor.isBlurMode());
    EXPECT_TRUE(editor.undoStack().isEmpty());
    EXPECT_TRUE(editor.redoStack().isEmpty());
    EXPECT_EQ(editor.selectionRect(), QRectF());
    EXPECT_EQ(canvas().rectangleStyle.color, QColor(Qt::red));
    EXPECT_EQ(canvas().rectangleStyle.lineWidth, 3.0); // not the canvas's own 2.0
    EXPECT_FALSE(canvas().rectangleStyle.filled);
    EXPECT_FALSE(canvas().rectangleStyle.isBlur);
    EXPECT_TRUE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
    EXPECT_EQ(console.lines(), Lines{});

    // Shown again (a closed window reopened): the edits stay.
    drag(100, 100, 300, 200);
    editor.hide();
    editor.show();
    EXPECT_EQ(editor.selectionRect(), canvas().selectionRect());
    EXPECT_GT(editor.selectionRect().width(), 0);
}

TEST(EditorWithoutImage, ShowsOnlyTheCanvasAndListensToNothing)
{
    ImageEditorView editor(QImage(), [](const QImage &) {});
    editor.resize(800, 600);
    editor.show();
    CanvasView &canvas = *editor.canvasView();
    EXPECT_FALSE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
    EXPECT_TRUE(canvas.currentImage().isNull());
    EXPECT_EQ(canvas.rectangleStyle.lineWidth, 2.0);
    QTest::mousePress(&canvas, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&canvas, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(editor.drawMode(), DrawMode::selection);
    EXPECT_TRUE(editor.undoStack().isEmpty());
}

TEST_F(EditorTest, FirstRectangleTakesTwoSnapshotsAndUndoRedoWalkThem)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    EXPECT_EQ(console.lines(), (Lines{
                                   "💾 State saved for undo (stack size: 1)", // the press switched the mode
                                   "💾 State saved for undo (stack size: 2)", // before the burn-in
                                   "🎨 Drawing ON image: rect=(100.0, 100.0, 200.0, 100.0)",
                                   "✅ Rectangle drawn on image!",
                               }));
    const QImage withBox = canvas().currentImage();
    EXPECT_NE(withBox, source);
    EXPECT_EQ(editor.currentImage(), source); // the editor's record follows neither burn-in nor undo
    EXPECT_EQ(editor.selectionRect(), QRectF());

    console.clear();
    editor.performUndo();
    EXPECT_EQ(canvas().currentImage(), source);
    editor.performUndo();
    EXPECT_EQ(canvas().currentImage(), source); // the same image, snapshotted twice
    editor.performUndo();                       // nothing left: ignored
    editor.performRedo();
    editor.performRedo();
    EXPECT_EQ(canvas().currentImage(), withBox);
    editor.performRedo(); // nothing left: ignored
    EXPECT_EQ(console.lines(), (Lines{
                                   "↶ Undo performed (undo stack: 1, redo stack: 1)",
                                   "↶ Undo performed (undo stack: 0, redo stack: 2)",
                                   "↷ Redo performed (undo stack: 1, redo stack: 1)",
                                   "↷ Redo performed (undo stack: 2, redo stack: 0)",
                               }));
}

TEST_F(EditorTest, UndoClearsTheSelection)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    drag(10, 10, 50, 50, Qt::LeftButton); // back to selecting: a snapshot, then a selection
    ASSERT_GT(editor.selectionRect().width(), 0);
    editor.performUndo();
    EXPECT_EQ(editor.selectionRect(), QRectF());
    EXPECT_EQ(canvas().selectionRect(), QRectF());
}

TEST_F(EditorTest, ANewSnapshotAfterUndoForgetsTheRedo)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    editor.performUndo();
    ASSERT_EQ(editor.redoStack().size(), 1);
    // Starting a selection switches the mode back, which takes a snapshot.
    QTest::mousePress(&canvas(), Qt::LeftButton, {}, at(10, 10));
    EXPECT_TRUE(editor.redoStack().isEmpty());
    EXPECT_EQ(editor.undoStack().size(), 2);
}

TEST_F(EditorTest, UndoAfterAPlainCropGoesBackToTheSnapshotBeforeIt)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    const QImage withBox = canvas().currentImage();
    drag(0, 0, 400, 300); // mode switch snapshot of withBox
    editor.performCrop(false);
    ASSERT_EQ(canvas().currentImage().size(), QSize(400, 300));
    EXPECT_EQ(editor.undoStack().size(), 3); // the crop added nothing
    editor.performUndo();
    EXPECT_EQ(canvas().currentImage(), withBox);
}

TEST_F(EditorTest, ASnapshotWithoutACanvasImageIsIgnored)
{
    ImageEditorView empty(QImage(), {});
    empty.saveStateForUndo();
    EXPECT_TRUE(empty.undoStack().isEmpty());
    EXPECT_EQ(console.lines(), Lines{});
}
