#include "ui/KeysOverlay.h"

#include <QEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace pintora {

KeysOverlay::KeysOverlay(QWidget *parent)
    : QWidget(parent)
    , m_scroll(new QScrollArea(this))
    , m_list(new QLabel)
{
    setObjectName(QStringLiteral("keysOverlay"));
    setFocusPolicy(Qt::StrongFocus);
    m_list->setObjectName(QStringLiteral("keysList"));
    m_list->setTextFormat(Qt::RichText);
    m_list->setWordWrap(true);
    m_list->setStyleSheet(QStringLiteral("QLabel { background: rgba(24, 24, 24, 240); color: white;"
                                         " border: 1px solid palette(mid); border-radius: 8px; padding: 14px; }"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidget(m_list);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll, 0, Qt::AlignCenter);
    parent->installEventFilter(this); // to cover it at every size
    hide();
}

bool KeysOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        fitList();
    }
    return QWidget::eventFilter(watched, event);
}

void KeysOverlay::showRows(const QString &title, const Rows &rows)
{
    // The keys first: on the right in a right-to-left language.
    const QString direction = layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    QString html = QStringLiteral("<p style='font-size:15px; font-weight:600'>%1</p><table dir='%2' cellspacing='5'>")
                       .arg(title.toHtmlEscaped(), direction);
    // Qt lays a table's columns out left to right whatever its direction.
    const bool mirrored = layoutDirection() == Qt::RightToLeft;
    for (const auto &[keys, what] : rows) {
        const QString keyCell
            = QStringLiteral("<td style='color:#8ab4f8; padding: 0 8px'>%1</td>").arg(keys.toHtmlEscaped());
        const QString whatCell = QStringLiteral("<td>%1</td>").arg(what.toHtmlEscaped());
        html += QStringLiteral("<tr>") + (mirrored ? whatCell + keyCell : keyCell + whatCell) + QStringLiteral("</tr>");
    }
    m_list->setText(html + QStringLiteral("</table>"));
    setGeometry(parentWidget()->rect());
    fitList();
    raise();
    show();
    setFocus();
}

void KeysOverlay::fitList()
{
    // The label's padding and border, as its style sheet sets them.
    constexpr int frame = 2 * (14 + 1);
    const QSize room = size().shrunkBy(layout()->contentsMargins()) - QSize(frame, frame);
    if (room.width() <= 0 || room.height() <= 0 || m_list->text().isEmpty())
        return; // not laid out or not filled yet: fitted when it is
    QTextDocument laidOut;
    laidOut.setHtml(m_list->text());
    QFont font = this->font();
    for (int pixels = QFontInfo(this->font()).pixelSize(); pixels >= 10; --pixels) {
        font.setPixelSize(pixels);
        laidOut.setDefaultFont(font);
        // As wide as its longest line, where there is room; wrapped where not.
        laidOut.setTextWidth(-1);
        laidOut.setTextWidth(std::min(double(room.width()), laidOut.idealWidth()));
        if (laidOut.size().height() <= room.height())
            break;
    }
    m_list->setFont(font);
    const int width = std::max(1, int(std::ceil(laidOut.textWidth())) + frame);
    m_list->setFixedWidth(width);
    m_list->setFixedHeight(m_list->heightForWidth(width));
    const bool scrolls = m_list->height() > room.height() + frame;
    const int bar = scrolls ? m_scroll->verticalScrollBar()->sizeHint().width() : 0;
    m_scroll->setFixedSize(std::min(width + bar, room.width() + frame),
                           std::min(m_list->height(), room.height() + frame));
}

QString KeysOverlay::text() const
{
    return m_list->text();
}

void KeysOverlay::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 140));
}

void KeysOverlay::mousePressEvent(QMouseEvent *)
{
    hide();
}

void KeysOverlay::keyPressEvent(QKeyEvent *)
{
    hide();
}

bool KeysOverlay::event(QEvent *event)
{
    // Every key puts the list away, Escape too, which otherwise closes the window.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

} // namespace pintora
