#include "EditorTestSupport.h"
#include "ImageTestSupport.h"

#include <QAction>

namespace pintora {

TEST_F(EditorTest, OpensWithTheImageAndKeepsItsEditsWhenShownAgain)
{
    EXPECT_EQ(doc().currentImage(), source);
    EXPECT_TRUE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
    EXPECT_EQ(console.lines(), Lines{});

    drag(100, 100, 300, 200, Qt::RightButton);
    const QImage edited = doc().currentImage();
    editor.hide();
    editor.show();
    EXPECT_EQ(doc().currentImage(), edited);
    EXPECT_EQ(doc().undoCount(), 2);
}

TEST(EditorWithoutImage, ShowsOnlyTheCanvas)
{
    ImageEditorView editor(QImage(), [](const QImage &) {});
    editor.resize(800, 600);
    editor.show();
    EXPECT_FALSE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
    EXPECT_TRUE(editor.document().currentImage().isNull());
}

TEST_F(EditorTest, ActionsAreEnabledExactlyWhenTheyCanAct)
{
    enum Step { nothing, selection, flatSelection, box, undone };
    const struct {
        Step step;
        bool crops, undo, redo;
    } cases[] = {
        {nothing, false, false, false},      {selection, true, true, false},
        {flatSelection, false, true, false}, {box, false, true, false},
        {undone, false, true, true},
    };
    for (const auto &c : cases) {
        switch (c.step) {
        case nothing: break;
        case selection: drag(300, 200, 100, 100, Qt::RightButton); drag(10, 10, 200, 100); break;
        case flatSelection: doc().setSelectionRect(QRectF(10, 10, 50, 0)); break;
        case box: drag(100, 100, 300, 200, Qt::RightButton); break;
        case undone: doc().performUndo(); break;
        }
        for (QAction *crop : {editor.cropAction(), editor.cropAndCopyAction(), editor.saveAction()})
            EXPECT_EQ(crop->isEnabled(), c.crops) << c.step << " " << crop->text().toStdString();
        EXPECT_EQ(editor.undoAction()->isEnabled(), c.undo) << c.step;
        EXPECT_EQ(editor.redoAction()->isEnabled(), c.redo) << c.step;
        EXPECT_TRUE(editor.copyAction()->isEnabled());
        EXPECT_TRUE(editor.pasteAction()->isEnabled());
    }
}

TEST_F(EditorTest, CropAndCopyHandsTheCutOutBackAndChangesNothing)
{
    drag(100, 50, 300, 200); // selects (100, 50, 200, 150)
    console.clear();
    editor.cropAndCopyAction()->trigger();
    EXPECT_EQ(console.lines().size(), 4u);
    EXPECT_EQ(console.lines().back(), "✅ Cropped to: 200×150 px");
    EXPECT_EQ(cropCalls, 1);
    EXPECT_EQ(cropped, source.copy(100, 400, 200, 150));
    EXPECT_EQ(doc().currentImage(), source);
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 50, 200, 150));

    // Outside the image: only the geometry is reported, and the window closes.
    doc().setSelectionRect(QRectF(900, 10, 50, 50));
    console.clear();
    editor.performCrop(true);
    EXPECT_EQ(console.lines().size(), 3u);
    EXPECT_EQ(cropCalls, 2);
    EXPECT_TRUE(cropped.isNull());
}

TEST(EditorOutOfMemory, ACropAndCopyThatFailsKeepsTheWindow)
{
    int cropCalls = 0;
    ImageEditorView editor(QImage(), [&](const QImage &) { ++cropCalls; });
    editor.document().setImage(solidImage(6000, 5000, Qt::white));
    editor.document().setSelectionRect(QRectF(0, 0, 6000, 5000));
    ConsoleCapture quiet;
    {
        const AddressSpaceLimit limit(64 << 20);
        editor.cropAndCopyAction()->trigger();
    }
    EXPECT_EQ(cropCalls, 0);
    EXPECT_EQ(quiet.lines().back(), "❌ Failed to crop image: not enough memory");
}

} // namespace pintora
