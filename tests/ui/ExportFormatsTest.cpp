#include "ConsoleCapture.h"
#include "PngTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/png/ImageExport.h"
#include "ui/Clipboard.h"
#include "ui/ImageEditorView.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace pintora {
namespace {

// A 5 x 3 image of `format` whose pixels all differ, in every channel the
// format has and at its full depth.
QImage sample(QImage::Format format, const QList<QRgb> &palette = {})
{
    QImage image(5, 3, format);
    if (!palette.isEmpty())
        image.setColorTable(palette);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const int i = y * 5 + x;
            if (!palette.isEmpty())
                image.setPixel(x, y, uint(i % palette.size()));
            else
                image.setPixelColor(x, y,
                                    QColor::fromRgba64(quint16(i * 4373 + 3), quint16(65535 - i * 2011),
                                                       quint16(i * 977 + 301), quint16(9000 + i * 3877)));
        }
    }
    return image;
}

// What an image holds, as straight RGBA at the depth a faithful PNG keeps.
QImage straight(const QImage &image, bool deep)
{
    return image.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
}

} // namespace

// Copy, Crop & Copy and Save write each image exactly as the editor holds
// it: libpng and Qt read back every pixel, 16 bits where there are more than 8.
TEST(ExportFormats, EveryFormatComesOutAsItWentIn)
{
    const QList<QRgb> opaquePalette{qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(17, 34, 51), qRgb(250, 250, 5)};
    const QList<QRgb> translucentPalette{qRgba(255, 0, 0, 10), qRgba(0, 128, 255, 128), qRgba(17, 34, 51, 0),
                                         qRgba(250, 250, 5, 255)};
    // clang-format off
    const struct {
        const char *name;
        QImage image;
        bool deep; // more than 8 bits a channel: written at 16
    } cases[] = {
        {"16-bit opaque", sample(QImage::Format_RGBX64), true},
        {"16-bit translucent", sample(QImage::Format_RGBA64), true},
        {"16-bit premultiplied", sample(QImage::Format_RGBA64_Premultiplied), true},
        {"grey 8", sample(QImage::Format_Grayscale8), false},
        {"grey 16", sample(QImage::Format_Grayscale16), true},
        {"palette", sample(QImage::Format_Indexed8, opaquePalette), false},
        {"palette with transparency", sample(QImage::Format_Indexed8, translucentPalette), false},
        {"1-bit", sample(QImage::Format_Mono, {qRgb(0, 0, 0), qRgb(255, 255, 255)}), false},
        {"1-bit, least significant first", sample(QImage::Format_MonoLSB, {qRgb(255, 255, 255), qRgb(0, 0, 90)}), false},
        {"10-bit", sample(QImage::Format_RGB30), true},
        {"10-bit with alpha", sample(QImage::Format_A2BGR30_Premultiplied), true},
        {"half float", sample(QImage::Format_RGBA16FPx4), true},
        {"float", sample(QImage::Format_RGBA32FPx4), true},
        {"float, opaque", sample(QImage::Format_RGBX32FPx4), true},
        {"8-bit translucent", sample(QImage::Format_ARGB32), false},
        {"RGB888", sample(QImage::Format_RGB888), false},
    };
    // clang-format on
    QTemporaryDir folder;
    ConsoleCapture quiet;
    for (const auto &c : cases) {
        QImage cutOutByCropAndCopy;
        ImageEditorView editor(c.image);
        QObject::connect(&editor, &ImageEditorView::cropped, [&](const QImage &image, const QRect &area) {
            cutOutByCropAndCopy = image.copy(area);
            putImageOnClipboard(image, area);
        });
        editor.show();
        const auto clipboardPng
            = [] { return QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")); };
        editor.copyAction()->trigger();
        const QByteArray copied = clipboardPng();

        editor.document().setSelectionRect(QRectF(0, 0, 5, 3));
        const QString path = folder.filePath(QLatin1String(c.name) + QStringLiteral(".png"));
        saveImageAsPng(editor.document().cutOutSelection(), path); // what Save writes once a file is chosen
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray saved = file.readAll();
        editor.cropAndCopyAction()->trigger();
        ASSERT_EQ(cutOutByCropAndCopy.format(), c.image.format()) << c.name;
        const QByteArray cropped = clipboardPng();

        const QImage expected = straight(c.image, c.deep);
        for (const auto &[how, png] : {std::pair{"Copy", copied}, {"Save", saved}, {"Crop & Copy", cropped}}) {
            EXPECT_EQ(readWithLibpng(png), expected) << c.name << " by " << how << ", read by libpng";
            EXPECT_EQ(straight(QImage::fromData(png, "PNG"), c.deep), expected)
                << c.name << " by " << how << ", read by Qt";
        }
    }
}

} // namespace pintora
