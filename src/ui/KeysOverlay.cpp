#include "ui/KeysOverlay.h"

#include <QEvent>
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
    parent->installEventFilter(this); // to cover it at every size
    hide();
}

bool KeysOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
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
