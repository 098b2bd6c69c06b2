#include "ui/SymbolIcon.h"

#include <QFont>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <algorithm>
#include <memory>

namespace pintora {
namespace {

// Draws its picture afresh for every size and device pixel ratio asked for,
// so that icons stay sharp at any scale, disabled ones included.
class DrawnIconEngine : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` in device pixels, `scale` of them a point.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, QRectF(pixmap.rect()), scale);
        // The drawings are white, which Qt's generated disabled look leaves
        // white; disabled controls show them faded instead. (The SVG
        // renderer sets its own opacity, so fading comes after drawing.)
        if (mode == QIcon::Disabled) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.fillRect(pixmap.rect(), QColor(0, 0, 0, 89));
        }
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    // A square in the middle of `rect`: a tray slot wider than high would
    // stretch the picture otherwise.
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        const QRect square(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
        painter->drawPixmap(square, scaledPixmap(square.size() * scale, mode, state, scale));
    }

protected:
    // Draws the picture filling `area`, `scale` device pixels a point.
    virtual void draw(QPainter &painter, const QRectF &area, qreal scale) = 0;
};

class SvgIconEngine : public DrawnIconEngine
{
public:
    explicit SvgIconEngine(std::shared_ptr<QSvgRenderer> renderer)
        : m_renderer(std::move(renderer))
    {
    }
    QIconEngine *clone() const override { return new SvgIconEngine(m_renderer); }

protected:
    void draw(QPainter &painter, const QRectF &area, qreal) override { m_renderer->render(&painter, area); }

private:
    std::shared_ptr<QSvgRenderer> m_renderer;
};

// A white picture with a thin dark rim, one point wide, so that it also
// reads on a light panel.
class OutlinedIconEngine : public DrawnIconEngine
{
public:
    explicit OutlinedIconEngine(QIcon symbol)
        : m_symbol(std::move(symbol))
    {
    }
    QIconEngine *clone() const override { return new OutlinedIconEngine(m_symbol); }

protected:
    void draw(QPainter &painter, const QRectF &area, qreal scale) override
    {
        // In device pixels as asked: without the ratio, Qt gives the
        // program's, and a scale-2 tray showed a quarter of the picture.
        QPixmap white = m_symbol.pixmap(area.size().toSize(), 1.0);
        QPixmap dark = white;
        {
            QPainter tint(&dark);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(dark.rect(), QColor(0, 0, 0, 150));
        }
        const int rim = qMax(1, qRound(scale));
        for (int dx = -rim; dx <= rim; dx += rim)
            for (int dy = -rim; dy <= rim; dy += rim)
                if (dx || dy)
                    painter.drawPixmap(area.topLeft() + QPointF(dx, dy), dark);
        painter.drawPixmap(area.topLeft(), white);
    }

private:
    QIcon m_symbol;
};

} // namespace

QIcon symbolIcon(const QString &name)
{
    auto renderer = std::make_shared<QSvgRenderer>(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer->isValid())
        return {};
    return QIcon(new SvgIconEngine(std::move(renderer)));
}

QIcon outlinedIcon(const QIcon &symbol)
{
    return QIcon(new OutlinedIconEngine(symbol));
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
