#include "ui/ToolbarWidgets.h"

#include "ui/Theme.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace pintora {

namespace {

// Sizes are in logical pixels, the toolkit's equivalent of the desktop
// points the layout was designed in.
QFont fontOfSize(const QWidget *widget, int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont font = widget->font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

} // namespace

// ---- ToolGroup

ToolGroup::ToolGroup(const QString &title, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(5, 5, 5, 5);
    column->setSpacing(2);
    if (!title.isEmpty()) {
        auto *header = new QLabel(title, this);
        header->setFont(fontOfSize(this, 10, QFont::DemiBold));
        header->setForegroundRole(QPalette::PlaceholderText);
        column->addWidget(header, 0, Qt::AlignLeading);
    }
    m_row = new QHBoxLayout;
    m_row->setSpacing(5);
    column->addLayout(m_row);
}

void ToolGroup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(palette().color(QPalette::Base), 0.7));
    painter.drawRoundedRect(QRectF(rect()), 5, 5);
}

// ---- ModeBadge

ModeBadge::ModeBadge(const QIcon &icon, const QString &text, int minimumWidth, QWidget *parent)
    : QWidget(parent)
    , m_icon(icon)
    , m_text(text)
    , m_minimumWidth(minimumWidth)
{
    setFont(fontOfSize(this, 12));
    // An indicator: clicks go through to nothing.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ModeBadge::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update();
}

void ModeBadge::setContent(const QIcon &icon, const QString &text)
{
    if (text == m_text)
        return;
    m_icon = icon;
    m_text = text;
    updateGeometry();
    update();
}

QSize ModeBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int iconSide = metrics.height();
    const int contentWidth = iconSide + 4 + metrics.horizontalAdvance(m_text);
    return QSize(std::max(m_minimumWidth, contentWidth) + 16, std::max(24, metrics.height()) + 8);
}

void ModeBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_active) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(accentColor());
        painter.drawRoundedRect(QRectF(rect()), 5, 5);
    }
    painter.setPen(QPen(withAlpha(neutralGrey(), 0.3), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, 4.5, 4.5);

    const QColor ink = m_active ? QColor(Qt::white) : palette().color(QPalette::WindowText);
    const QFontMetrics metrics(font());
    const int iconSide = metrics.height();
    const int contentWidth = iconSide + 4 + metrics.horizontalAdvance(m_text);
    const int left = (width() - contentWidth) / 2;
    // Icon first, then the text, from the right in right-to-left languages.
    const QRect iconRect
        = QStyle::visualRect(layoutDirection(), rect(), QRect(left, (height() - iconSide) / 2, iconSide, iconSide));
    const QRect textRect = QStyle::visualRect(
        layoutDirection(), rect(), QRect(left + iconSide + 4, 0, metrics.horizontalAdvance(m_text) + 1, height()));

    // Tint the white symbol with the ink colour.
    QPixmap symbol = m_icon.pixmap(iconRect.size(), devicePixelRatioF());
    {
        QPainter tint(&symbol);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(symbol.rect(), ink);
    }
    painter.drawPixmap(iconRect, symbol);
    painter.setPen(ink);
    painter.drawText(textRect, Qt::AlignCenter, m_text);
}

// ---- DiscButton

DiscButton::DiscButton(const QColor &fill, const QIcon &symbol, QWidget *parent)
    : QAbstractButton(parent)
    , m_fill(fill)
    , m_symbol(symbol)
{
    setFixedSize(20, 20);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void DiscButton::setChosen(bool chosen)
{
    if (m_chosen == chosen)
        return;
    m_chosen = chosen;
    update();
}

void DiscButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(0, 0, 20, 20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fill);
    painter.drawEllipse(disc);
    if (!m_symbol.isNull()) {
        const QRect symbolRect(5, 5, 10, 10);
        painter.drawPixmap(symbolRect, m_symbol.pixmap(symbolRect.size(), devicePixelRatioF()));
    }
    if (m_chosen) {
        // A ring 2 wide just inside the disc's edge.
        painter.setPen(QPen(accentColor(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(disc.adjusted(1, 1, -1, -1));
    }
}

// ---- SegmentedPicker

SegmentedPicker::SegmentedPicker(const QList<double> &values, int width, QWidget *parent)
    : QWidget(parent)
    , m_values(values)
    , m_group(new QButtonGroup(this))
{
    setFixedWidth(width);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const QString accent = accentColor().name();
    for (int i = 0; i < values.size(); ++i) {
        auto *segment = new QToolButton(this);
        segment->setText(QString::number(values[i]));
        segment->setCheckable(true);
        segment->setFocusPolicy(Qt::NoFocus);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const QString left = i == 0 ? QStringLiteral("5px") : QStringLiteral("0px");
        const QString right = i == values.size() - 1 ? QStringLiteral("5px") : QStringLiteral("0px");
        segment->setStyleSheet(
            QStringLiteral("QToolButton { border: 1px solid palette(mid); background: palette(button);"
                           " color: palette(button-text); padding: 2px 0px;"
                           " border-top-left-radius: %1; border-bottom-left-radius: %1;"
                           " border-top-right-radius: %2; border-bottom-right-radius: %2; }"
                           " QToolButton:checked { background: %3; color: white; }")
                .arg(left, right, accent));
        m_group->addButton(segment, i);
        row->addWidget(segment);
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int index) { emit picked(m_values.at(index)); });
}

double SegmentedPicker::value() const
{
    const int index = m_group->checkedId();
    return index < 0 ? 0.0 : m_values.at(index);
}

void SegmentedPicker::setValue(double value)
{
    const int index = int(m_values.indexOf(value));
    if (index >= 0)
        m_group->button(index)->setChecked(true);
}

QAbstractButton *SegmentedPicker::segment(int index) const
{
    return m_group->button(index);
}

// ---- SwitchToggle

SwitchToggle::SwitchToggle(QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void SwitchToggle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? accentColor() : QColor(0x5A, 0x5A, 0x5E));
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const double knob = track.height() - 4;
    // On is toward the end the text runs to: the right, or the left in Arabic.
    const bool atRight = isChecked() == (layoutDirection() == Qt::LeftToRight);
    const double x = atRight ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

} // namespace pintora
