#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "OpenFile.h"
#include "app/PintoraApp.h"
#include "core/document/EditorDocument.h"
#include "ui/EditorWindow.h"
#include "ui/ImageEditorView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPalette>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

#include <isa-l/crc.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

// Files handed to the app, and how it sets itself up at launch.
namespace pintora {

// A FIFO or a device handed over as a file is refused at once: opening it
// to read would wait for a writer, or read for ever.
TEST(PintoraAppFiles, OnlyRegularFilesAreOpened)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString picture = folder.filePath(QStringLiteral("picture.png"));
    solidImage(4, 3, Qt::green).save(picture);
    ConsoleCapture quiet;
    PintoraApp app;
    alarm(20); // a blocked open ends the test instead of hanging it
    EXPECT_EQ(openFile(app, fifo), QStringLiteral("not a regular file"));
    EXPECT_EQ(openFile(app, QStringLiteral("/dev/zero")), QStringLiteral("not a regular file"));
    EXPECT_EQ(openFile(app, folder.path()), QStringLiteral("not a regular file"));
    EXPECT_EQ(openFile(app, folder.filePath(QStringLiteral("missing.png"))),
              QStringLiteral("No such file or directory"));
    alarm(0);
    EXPECT_EQ(openFile(app, picture), QString());
    EXPECT_EQ(app.editorWindow()->editor()->document().currentImage().size(), QSize(4, 3));
    // A PNG cut short is refused with our reader's reason, not half shown.
    QFile whole(picture);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(folder.filePath(QStringLiteral("cut.png")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.readAll().chopped(13));
    cut.close();
    EXPECT_EQ(openFile(app, cut.fileName()), QStringLiteral("a chunk runs past the end"));
}

// The launch lines, the tray and staying resident are shown end to end; the
// look and the decoder's limit are shown here.
TEST(PintoraAppLaunch, MakesTheAppDarkAndDecodesScreenshotsUpTo16384SquareOnly)
{
    ConsoleCapture console;
    PintoraApp app;
    app.applicationDidFinishLaunching();
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 64);
    EXPECT_GT(QApplication::palette().color(QPalette::WindowText).lightness(), 192);
    EXPECT_EQ(QImageReader::allocationLimit(), 1024);

    // A PNG header that claims one column more than 16384 x 16384: refused, not allocated.
    QByteArray png = encoded(solidImage(1, 1, Qt::red), "PNG");
    const auto putBigEndian = [&png](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[offset + i] = char(value >> (24 - 8 * i));
    };
    putBigEndian(16, 16385);
    putBigEndian(20, 16384);
    putBigEndian(
        29,
        crc32_gzip_refl(0, reinterpret_cast<const unsigned char *>(png.constData()) + 12, 17)); // "IHDR" and its data
    QBuffer header(&png);
    ASSERT_EQ(QImageReader(&header).size(), QSize(16385, 16384));
    EXPECT_TRUE(QImage::fromData(png).isNull());
}

// Launched without a tray and left alone, the program sleeps: no clock
// wakes it to look for a tray, an instance or anything else.
TEST(PintoraAppLaunch, WithoutATrayTheLaunchedProgramSleeps)
{
    ConsoleCapture console;
    PintoraApp app;
    app.applicationDidFinishLaunching();
    ASSERT_EQ(console.lines().back(), "❌ Button is nil!");
    QEventLoop settle; // the spare editor is made once the launch is done
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    int wakeups = 0;
    const QMetaObject::Connection counting
        = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] { ++wakeups; });
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    QObject::disconnect(counting);
    EXPECT_LE(wakeups, 2);
}

} // namespace pintora
