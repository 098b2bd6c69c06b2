#include "core/tools/Tools.h"
#include "ui/SymbolIcon.h"

#include <QImage>
#include <QPainter>

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

// Every tool in the registry has its icon, named by its id.
TEST(SymbolIcon, EveryToolHasOne)
{
    for (const Tool *tool : allTools())
        EXPECT_FALSE(symbolIcon(QStringLiteral("tool.") + tool->id()).isNull()) << tool->id().toStdString();
}

TEST(SymbolIcon, EverySymbolIsDrawnWholeAtItsSizeAndScaleDisabledOnesFaded)
{
    for (const char *name :
         {"viewfinder.crop", "tool.box", "tool.blur", "arrow.uturn.backward", "arrow.uturn.forward"}) {
        const QIcon symbol = symbolIcon(QString::fromLatin1(name));
        ASSERT_FALSE(symbol.isNull()) << name;
        for (const bool outlined : {false, true}) {
            const QIcon icon = outlined ? outlinedIcon(symbol) : symbol;
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                for (const auto &[side, scale] : {std::pair{16, 1.0}, std::pair{22, 1.0}, std::pair{22, 2.0}}) {
                    const QPixmap pixmap = icon.pixmap(QSize(side, side), scale, mode);
                    const int device = int(side * scale);
                    ASSERT_EQ(pixmap.size(), QSize(device, device)) << name;
                    EXPECT_EQ(pixmap.devicePixelRatio(), scale);
                    // Drawn across the square (not in a corner of it), but not filling it.
                    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
                    QRect drawn;
                    int strongest = 0, painted = 0, white = 0, dark = 0;
                    for (int y = 0; y < device; ++y)
                        for (int x = 0; x < device; ++x)
                            if (const int alpha = qAlpha(image.pixel(x, y)); alpha > 20) {
                                drawn |= QRect(x, y, 1, 1);
                                strongest = std::max(strongest, alpha);
                                ++painted;
                                white += alpha > 128 && qGray(image.pixel(x, y)) > 200;
                                dark += alpha > 128 && qGray(image.pixel(x, y)) < 60;
                            }
                    EXPECT_GT(drawn.width(), device / 2) << name << " at " << side << "x" << scale;
                    EXPECT_GT(painted, device * device / 10) << name;
                    EXPECT_LT(painted, device * device * 9 / 10) << name;
                    EXPECT_EQ(strongest < 128, mode == QIcon::Disabled) << name << " " << strongest;
                    if (outlined && mode == QIcon::Normal) { // white inside, dark around: reads on any panel
                        EXPECT_GT(white, 0) << name;
                        EXPECT_GT(dark, 0) << name;
                        // The white is the symbol itself, where it is, at any
                        // scale of the program (a tray at scale 2 once showed
                        // a quarter of it, enlarged).
                        const QImage plain = symbol.pixmap(QSize(side, side), scale, mode)
                                                 .toImage()
                                                 .convertToFormat(QImage::Format_ARGB32);
                        int astray = 0;
                        for (int y = 0; y < device; ++y)
                            for (int x = 0; x < device; ++x)
                                astray += qAlpha(plain.pixel(x, y)) > 230 && qGray(image.pixel(x, y)) < 200;
                        EXPECT_LT(astray, device) << name << " at " << side << "x" << scale;
                    }
                }
            }
        }
    }
}

// Painted into a slot wider than high, as a tray panel may give: square,
// in the middle.
TEST(SymbolIcon, APaintedIconKeepsItsShape)
{
    QImage slot(44, 28, QImage::Format_ARGB32_Premultiplied);
    slot.fill(Qt::transparent);
    {
        QPainter painter(&slot);
        outlinedIcon(symbolIcon(QStringLiteral("viewfinder.crop"))).paint(&painter, slot.rect());
    }
    QRect drawn;
    for (int y = 0; y < slot.height(); ++y)
        for (int x = 0; x < slot.width(); ++x)
            if (qAlpha(slot.pixel(x, y)) > 20)
                drawn |= QRect(x, y, 1, 1);
    EXPECT_LE(std::abs(drawn.width() - drawn.height()), 3) << drawn.width() << "x" << drawn.height();
    EXPECT_LE(std::abs(drawn.center().x() - 22), 2);
}

TEST(SymbolIcon, TextIconDrawsTheText)
{
    const QIcon icon = textIcon(QStringLiteral("✂️"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_GT(paintedPixels(icon, 64), 0);
}

} // namespace pintora
