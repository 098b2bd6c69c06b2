#include "app/FocusedClipboardRead.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace pintora {
namespace {

void offerPng(const QByteArray &bytes)
{
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

ClipboardBytes resultOf(const QSignalSpy &spy)
{
    return spy.isEmpty() ? ClipboardBytes{} : qvariant_cast<ClipboardBytes>(spy.last().first());
}

} // namespace

// The read waits for focus, then takes what the clipboard has, waiting a
// little for a clipboard handed over late, and settles for nothing only
// after that; a second request while one runs is answered by it.
TEST(FocusedClipboardRead, ReadsOnceTheWindowHasFocus)
{
    qRegisterMetaType<ClipboardBytes>();
    const QByteArray png("\x89PNG\r\n\x1a\n not really", 19);
    // clang-format off
    const struct {
        const char *what;
        bool focusedAlready;
        int imageAfterMs; // -1: none comes
        ClipboardBytes::Status expected;
    } cases[] = {
        {"focused, the image there", true, 0, ClipboardBytes::Status::image},
        {"focus comes later", false, 0, ClipboardBytes::Status::image},
        {"the image a moment after focus", true, 120, ClipboardBytes::Status::image},
        {"no image comes", false, -1, ClipboardBytes::Status::none},
    };
    // clang-format on
    for (const auto &c : cases) {
        QGuiApplication::clipboard()->clear();
        if (c.imageAfterMs == 0)
            offerPng(png);
        // The window shown last is the active one.
        QWidget other, window;
        (c.focusedAlready ? other : window).show();
        (c.focusedAlready ? window : other).show();
        QCoreApplication::processEvents();
        ASSERT_EQ(window.isActiveWindow(), c.focusedAlready) << c.what;

        FocusedClipboardRead read;
        const QSignalSpy finished(&read, &FocusedClipboardRead::finished);
        bool focusedWhenRead = false;
        QObject::connect(&read, &FocusedClipboardRead::finished, [&] { focusedWhenRead = window.isActiveWindow(); });
        if (c.imageAfterMs > 0)
            QTimer::singleShot(c.imageAfterMs, [&] { offerPng(png); });
        ASSERT_TRUE(read.start(&window)) << c.what;
        EXPECT_FALSE(read.start(&window)) << c.what << ": a read is under way";
        EXPECT_EQ(finished.count(), 0) << c.what << ": not before focus and the event loop";
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 3000)) << c.what;
        EXPECT_EQ(resultOf(finished).status, c.expected) << c.what;
        EXPECT_EQ(resultOf(finished).bytes, c.expected == ClipboardBytes::Status::image ? png : QByteArray()) << c.what;
        EXPECT_FALSE(read.isRunning()) << c.what;
        EXPECT_TRUE(focusedWhenRead) << c.what;
    }
}

// A window that does not get focus is shown once more, and then the
// clipboard is read without it (as X11 allows).
TEST(FocusedClipboardRead, AWindowWithoutFocusIsShownAgainThenReadAnyway)
{
    qRegisterMetaType<ClipboardBytes>();
    offerPng("\x89PNG");
    QWidget other, window;
    window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    window.show();
    other.show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.isActiveWindow());
    const QSignalSpy visibility(window.windowHandle(), &QWindow::visibleChanged);
    FocusedClipboardRead read;
    const QSignalSpy finished(&read, &FocusedClipboardRead::finished);
    read.start(&window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 3000));
    EXPECT_EQ(resultOf(finished).status, ClipboardBytes::Status::image);
    EXPECT_EQ(visibility.count(), 2); // hidden, and shown again
    EXPECT_TRUE(window.isVisible());
}

} // namespace pintora
