#include "ui/SymbolIcon.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pintora {

namespace {

// How many pixels of the icon at this size are drawn at all.
int paintedPixels(const QIcon &icon, int side)
{
    const QImage image = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 128;
    return painted;
}

} // namespace

TEST(SymbolIcon, EverySymbolRendersAtTrayAndToolbarSizes)
{
    for (const char *name :
         {"viewfinder.crop", "rectangle", "hand.raised.fill", "arrow.uturn.backward", "arrow.uturn.forward"}) {
        const QIcon icon = symbolIcon(QString::fromLatin1(name));
        ASSERT_FALSE(icon.isNull()) << name;
        for (int side : {16, 22}) {
            const int painted = paintedPixels(icon, side);
            // Drawn, but not a filled square either.
            EXPECT_GT(painted, side * side / 10) << name << " at " << side;
            EXPECT_LT(painted, side * side * 3 / 4) << name << " at " << side;
        }
    }
}

TEST(SymbolIcon, SharpAtTwiceTheScaleDisabledIncluded)
{
    const QIcon symbol = symbolIcon(QStringLiteral("arrow.uturn.backward"));
    for (const QIcon &icon : {symbol, outlinedIcon(symbol)}) {
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QPixmap pixmap = icon.pixmap(QSize(22, 22), 2.0, mode);
            ASSERT_EQ(pixmap.size(), QSize(44, 44)) << mode;
            EXPECT_EQ(pixmap.devicePixelRatio(), 2.0);
            // Drawn over the whole square, not in a quarter of it.
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            QRect drawn;
            int strongest = 0;
            for (int y = 0; y < 44; ++y)
                for (int x = 0; x < 44; ++x)
                    if (qAlpha(image.pixel(x, y)) > 20) {
                        drawn |= QRect(x, y, 1, 1);
                        strongest = std::max(strongest, qAlpha(image.pixel(x, y)));
                    }
            EXPECT_GT(drawn.width(), 30) << mode;
            EXPECT_GT(drawn.bottom(), 30) << mode;
            EXPECT_EQ(strongest < 128, mode == QIcon::Disabled) << strongest; // faded when disabled
        }
    }
}

TEST(SymbolIcon, UnknownSymbolIsNull)
{
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
}

TEST(SymbolIcon, TextIconDrawsTheText)
{
    const QIcon icon = textIcon(QStringLiteral("✂️"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_GT(paintedPixels(icon, 64), 0);
}

TEST(SymbolIcon, OutlinedIconReadsOnLightAndDarkPanels)
{
    const QImage image = outlinedIcon(symbolIcon(QStringLiteral("viewfinder.crop")))
                             .pixmap(QSize(22, 22))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    int white = 0, dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) <= 128)
                continue;
            if (qGray(pixel) > 200)
                ++white;
            else if (qGray(pixel) < 60)
                ++dark;
        }
    }
    EXPECT_GT(white, 20);
    EXPECT_GT(dark, 20);
}

} // namespace pintora
