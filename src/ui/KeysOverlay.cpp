#include "ui/KeysOverlay.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace pintora {

KeysOverlay::KeysOverlay(QWidget *parent)
    : QWidget(parent)
    , m_list(new QLabel(this))
{
    setObjectName(QStringLiteral("keysOverlay"));
    setFocusPolicy(Qt::StrongFocus);
    m_list->setObjectName(QStringLiteral("keysList"));
    m_list->setTextFormat(Qt::RichText);
    m_list->setStyleSheet(QStringLiteral("QLabel { background: rgba(24, 24, 24, 240); color: white;"
                                         " border: 1px solid palette(mid); border-radius: 8px; padding: 14px; }"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 0, Qt::AlignCenter);
    hide();
}

void KeysOverlay::showRows(const QString &title, const Rows &rows)
{
    QString html = QStringLiteral("<p style='font-size:15px; font-weight:600'>%1</p><table cellspacing='5'>")
                       .arg(title.toHtmlEscaped());
    for (const auto &[keys, what] : rows)
        html += QStringLiteral("<tr><td style='color:#8ab4f8; padding-right:16px'>%1</td><td>%2</td></tr>")
                    .arg(keys.toHtmlEscaped(), what.toHtmlEscaped());
    m_list->setText(html + QStringLiteral("</table>"));
    setGeometry(parentWidget()->rect());
    raise();
    show();
    setFocus();
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
