#include "EditorTestSupport.h"
#include "i18n/Translations.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QToolButton>

namespace pintora {
namespace {

// Three lines of screen text over the editor's image.
QImage threeLines()
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(20, 100), QStringLiteral("alpha bravo charlie"));
    painter.drawText(QPoint(20, 120), QStringLiteral("delta echo foxtrot"));
    painter.drawText(QPoint(20, 140), QStringLiteral("golf hotel india"));
    return image;
}

} // namespace

// Copy Text puts the selection's words on the clipboard, and nothing else
// changes; the command is busy meanwhile, and Escape stops it rather than
// closing the window.
TEST_F(EditorTest, CopyTextPutsTheSelectionsWordsOnTheClipboard)
{
    doc().setImage(threeLines());
    doc().setSelectionRect(QRectF(0, 600 - 126, 800, 126)); // the first two lines (pixel space, y up)
    const QImage before = doc().currentImage();
    const int steps = doc().undoCount();
    QGuiApplication::clipboard()->clear();
    console.clear();
    QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(editor.copyTextAction()->isEnabled());
    EXPECT_EQ(editor.findChild<QToolButton *>(QStringLiteral("copyTextButton"))->text(),
              Translations::recognizingText());
    ASSERT_TRUE(eventually([this] { return !editor.isRecognizing(); }, 30000));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("alpha bravo charlie\ndelta echo foxtrot"));
    EXPECT_EQ(console.lines().back(), "✅ Text copied to clipboard: 38 characters");
    EXPECT_TRUE(editor.copyTextAction()->isEnabled());
    EXPECT_EQ(doc().currentImage(), before);
    EXPECT_EQ(doc().undoCount(), steps);
    EXPECT_EQ(doc().selectionRect(), QRectF(0, 600 - 126, 800, 126));

    console.clear();
    editor.copyText();
    QTest::keyClick(&editor, Qt::Key_Escape);
    ASSERT_TRUE(eventually([this] { return !editor.isRecognizing(); }, 30000));
    EXPECT_EQ(console.lines().back(), "❌ Text recognition stopped");
    EXPECT_TRUE(editor.isVisible());

    // Nothing to read: a line says so, and the tray is told.
    QSignalSpy failed(&editor, &ImageEditorView::textCopyFailed);
    doc().setImage(solidImage(200, 100, Qt::white));
    editor.copyText();
    ASSERT_TRUE(eventually([this] { return !editor.isRecognizing(); }, 30000));
    EXPECT_EQ(console.lines().back(), "❌ No text found");
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.front().front().toString(), Translations::noTextFound());
}

} // namespace pintora
