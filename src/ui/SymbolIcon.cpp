#include "ui/SymbolIcon.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace pintora {

QIcon symbolIcon(const QString &name)
{
    const QIcon drawing(QStringLiteral(":/icons/%1.svg").arg(name));
    // QIcon accepts any path; only a rendered pixmap tells whether the SVG
    // could be read.
    if (drawing.isNull() || drawing.pixmap(QSize(22, 22)).isNull())
        return {};
    // The drawings are white, which Qt's generated disabled look leaves
    // white; disabled controls show them faded instead.
    QIcon icon;
    for (int side : {16, 20, 22, 24, 32, 40, 44, 48, 64}) {
        const QPixmap normal = drawing.pixmap(QSize(side, side));
        QPixmap faded(normal.size());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.35);
        painter.drawPixmap(0, 0, normal);
        painter.end();
        icon.addPixmap(normal, QIcon::Normal);
        icon.addPixmap(faded, QIcon::Disabled);
    }
    return icon;
}

QIcon outlinedIcon(const QIcon &symbol)
{
    QIcon icon;
    for (int side : {16, 20, 22, 24, 32, 40, 44, 48, 64}) {
        const QPixmap white = symbol.pixmap(QSize(side, side));
        QPixmap dark = white;
        {
            QPainter tint(&dark);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(dark.rect(), QColor(0, 0, 0, 150));
        }
        QPixmap outlined(white.size());
        outlined.fill(Qt::transparent);
        QPainter painter(&outlined);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (dx || dy)
                    painter.drawPixmap(dx, dy, dark);
        painter.drawPixmap(0, 0, white);
        painter.end();
        icon.addPixmap(outlined);
    }
    return icon;
}

QIcon textIcon(const QString &text)
{
    constexpr int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = QGuiApplication::font();
    font.setPixelSize(side * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    painter.end();
    return QIcon(pixmap);
}

} // namespace pintora
