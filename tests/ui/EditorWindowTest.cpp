#include "ui/CanvasView.h"
#include "ui/EditorWindow.h"
#include "ui/FlowLayout.h"
#include "ui/ImageEditorView.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace pintora {
// The wrapped toolbar is as tall as its rows and the spacing between them.
TEST(FlowLayout, IsAsTallAsItsRowsAndTheSpacesBetweenThem)
{
    QWidget host;
    auto *layout = new FlowLayout(&host, 6);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const QSize size : {QSize(100, 20), QSize(100, 30), QSize(100, 20)}) {
        auto *item = new QWidget(&host);
        item->setFixedSize(size);
        layout->addWidget(item);
    }
    const std::pair<int, int> heights[]
        = {{400, 30}, {312, 30}, {311, 30 + 6 + 20}, {206, 56}, {100, 20 + 6 + 30 + 6 + 20}};
    for (const auto &[width, height] : heights)
        EXPECT_EQ(layout->heightForWidth(width), height) << width;
}

// The window opens at four fifths of the whole screen, inside what the
// panels leave, and its frame is then kept inside that too.
TEST(EditorWindowPlacement, FourFifthsOfTheScreenInsideThePanelsFrameIncluded)
{
    const QRect screen(0, 0, 1366, 768);
    // clang-format off
    const struct {
        QRect available;
        QRect window;
    } openings[] = {
        {screen, {137, 77, 1093, 614}},
        {{0, 0, 1366, 738}, {137, 62, 1093, 614}},  // a panel at the bottom
        {{0, 32, 1366, 736}, {137, 93, 1093, 614}}, // at the top
        {{60, 0, 1306, 500}, {167, 0, 1093, 500}},  // on the left, and little height
    };
    // clang-format on
    for (const auto &o : openings)
        EXPECT_EQ(EditorWindow::geometryFor(screen, o.available), o.window) << o.available.height();

    const QRect free(0, 30, 1366, 738);
    const QSize decoration(8, 34); // borders and a title bar
    // clang-format off
    const struct {
        QRect frame, placed;
    } frames[] = {
        {{100, 100, 800, 500}, {100, 100, 800, 500}}, // inside: left as it is
        {{700, 100, 800, 500}, {566, 100, 800, 500}}, // past the right edge
        {{100, 0, 800, 500}, {100, 30, 800, 500}},    // under the top panel
        {{137, 62, 1101, 800}, {137, 30, 1101, 738}}, // taller than the free area: shrunk
        {{-20, 10, 1500, 900}, {0, 30, 1366, 738}},
    };
    // clang-format on
    for (const auto &f : frames)
        EXPECT_EQ(EditorWindow::frameInside(free, f.frame, decoration), f.placed) << f.frame.x() << "," << f.frame.y();
}

// The picture is scaled while the window manager maps a new window, for
// the size the canvas has once the toolbar is in: the first paint only
// puts it on the screen.
TEST(EditorWindowPresent, ScalesThePictureBeforeTheFirstPaint)
{
    // Tall: its picture's size follows the canvas's height, which the toolbar takes from.
    QImage image(900, 1600, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    // Made ahead as the spare is, without an image and so without its toolbar.
    EditorWindow window(QImage{});
    window.prepare();
    window.editor()->setInitialImage(image);
    window.present();
    const CanvasView *canvas = window.editor()->canvasView();
    const QImage made = canvas->displayImage(); // before any event is handled
    ASSERT_FALSE(made.isNull());
    QCoreApplication::sendPostedEvents(); // the layout's, among them
    (void)window.grab(); // the first paint
    EXPECT_EQ(canvas->displayImage().cacheKey(), made.cacheKey());
}

} // namespace pintora
