#include "app/SymbolIcon.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

QIcon symbolIcon(const QString &name)
{
    QIcon icon(QStringLiteral(":/icons/%1.svg").arg(name));
    // QIcon accepts any path; only a rendered pixmap tells whether the SVG
    // could be read.
    if (icon.isNull() || icon.pixmap(QSize(22, 22)).isNull())
        return {};
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
