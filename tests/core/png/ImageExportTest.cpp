#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/png/ImageExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace pintora {

TEST(CutOut, TakesEveryTouchedPixelAtOnePointPerPixel)
{
    QImage retina = noiseImage(80, 60);
    retina.setDevicePixelRatio(2.0);
    const QImage piece = cutOut(retina, QRectF(10.4, 5.5, 20.2, 10));
    EXPECT_EQ(piece.devicePixelRatio(), 1.0);
    EXPECT_EQ(piece, noiseImage(80, 60).copy(10, 5, 21, 11).convertToFormat(piece.format()));
    EXPECT_TRUE(cutOut(retina, QRectF(90, 5, 10, 10)).isNull());
}

// A view shows exactly the pixels a copy would, from the image's own rows,
// at every depth and offset; formats of less than a byte a pixel are copied.
TEST(RegionView, ShowsTheAreasPixelsInPlace)
{
    const QImage noise = noiseImage(37, 23);
    const QRect area(5, 7, 19, 11);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_Grayscale8,
          QImage::Format_Indexed8, QImage::Format_RGBA64, QImage::Format_Mono}) {
        const QImage image = noise.convertToFormat(format);
        const QImage view = regionView(image, area);
        EXPECT_EQ(view, image.copy(area)) << format;
        const bool inPlace
            = view.constBits() >= image.constBits() && view.constBits() < image.constBits() + image.sizeInBytes();
        EXPECT_EQ(inPlace, image.depth() >= 8) << format;
    }
    EXPECT_EQ(regionView(noise, QRect(30, 20, 20, 20)), noise.copy(30, 20, 7, 3)); // clipped to the image
    EXPECT_TRUE(regionView(noise, QRect(40, 0, 5, 5)).isNull());
}

TEST(SaveImageAsPng, NamesEndInPng)
{
    const std::pair<const char *, const char *> names[] = {
        {"a.png", "a.png"},   {"a.PNG", "a.PNG"},       {"shot.jpg", "shot.jpg.png"},
        {"shot", "shot.png"}, {".png/x", ".png/x.png"},
    };
    for (const auto &[name, saved] : names)
        EXPECT_EQ(withPngSuffix(QLatin1String(name)), QLatin1String(saved));
}

// The name's suffix chooses the format; a name without one Save writes is a
// PNG with ".png" added. JPEG goes over white, WebP keeps every pixel.
TEST(SaveImage, TheSuffixChoosesTheFormat)
{
    QTemporaryDir folder;
    QImage image = noiseImage(64, 48).convertToFormat(QImage::Format_ARGB32);
    image.setPixelColor(0, 0, QColor(0, 0, 0, 0)); // transparent: white in a JPEG
    const struct {
        const char *name;
        const char *written; // the file's name
        const char *format; // as Qt's reader names it
        bool exact;
    } cases[] = {
        {"a.png", "a.png", "png", true},     {"a.PNG", "a.PNG", "png", true},    {"b.jpg", "b.jpg", "jpeg", false},
        {"c.JPEG", "c.JPEG", "jpeg", false}, {"d.webp", "d.webp", "webp", true}, {"e.bmp", "e.bmp.png", "png", true},
        {"f", "f.png", "png", true},
    };
    for (const auto &c : cases) {
        const QString path = withImageSuffix(folder.filePath(QLatin1String(c.name)));
        EXPECT_EQ(QFileInfo(path).fileName(), QLatin1String(c.written));
        ConsoleCapture console;
        ASSERT_EQ(saveImage(image, path), QString()) << c.name;
        EXPECT_EQ(console.lines(), std::vector<std::string>{"✅ Image saved to: " + path.toStdString()});
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.name;
        const QImage back = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(back.size(), image.size()) << c.name;
        if (c.exact) {
            EXPECT_EQ(back, image.convertToFormat(QImage::Format_ARGB32)) << c.name;
        } else { // quality 90: close, and white where it was transparent
            EXPECT_GT(qGray(back.pixel(0, 0)), 235) << c.name;
            EXPECT_EQ(back.pixelColor(0, 0).alpha(), 255) << c.name;
            EXPECT_LT(std::abs(qGray(back.pixel(30, 30)) - qGray(image.pixel(30, 30))), 40) << c.name;
        }
    }
}

// A folder where the user cannot make files, holding one they may write:
// the save fails with the system's reason rather than write it in place,
// where a kill mid-write would leave it cut. Run in a child that is not
// root, as root may make files anywhere.
TEST(SaveImageAsPng, OverAWritableFileInAFolderClosedToNewFilesFails)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("keep.png"));
    ASSERT_TRUE(solidImage(4, 4, Qt::blue).save(path, "PNG"));
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther | QFileDevice::WriteOther);
    const auto closed = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(directory.path(), closed);
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        if (QFileInfo(directory.path()).isWritable())
            _exit(3); // the folder must be closed to this user
        ConsoleCapture quiet;
        saveImageAsPng(solidImage(6, 6, Qt::red), path);
        _exit(quiet.lines().at(0) == "❌ Failed to save image: Permission denied" ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QFile::setPermissions(directory.path(), closed | QFileDevice::WriteOwner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(QImage(path).size(), QSize(4, 4));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("keep.png")});
}

// Saving and failing to save are shown through the editor's Save.
TEST(SaveImageAsPng, NoImageIsNoFile)
{
    ConsoleCapture console;
    QTemporaryDir directory;
    saveImageAsPng(QImage(), directory.filePath(QStringLiteral("out.png")));
    EXPECT_EQ(console.lines(), std::vector<std::string>{"❌ Failed to convert image to PNG"});
    EXPECT_TRUE(QDir(directory.path()).isEmpty());
}

TEST(SaveImageAsPng, AFailedWriteLeavesTheExistingFileWhole)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("keep.png"));
    const QImage previous = solidImage(40, 30, Qt::blue);
    ASSERT_TRUE(previous.save(path, "PNG"));
    const QByteArray before = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    // A file size limit makes the write fail halfway, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit small = original;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ConsoleCapture console;
    saveImageAsPng(noiseImage(300, 300), path);
    setrlimit(RLIMIT_FSIZE, &original);

    ASSERT_EQ(console.lines().size(), 1u);
    EXPECT_EQ(console.lines()[0].rfind("❌ Failed to save image: ", 0), 0u) << console.lines()[0];
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.png")});
}

} // namespace pintora
