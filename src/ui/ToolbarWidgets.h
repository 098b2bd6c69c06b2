#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QHBoxLayout;
class QLabel;

namespace pintora {

// The small custom controls of the editor's toolbar.

// A titled group of controls on a rounded, slightly lighter background.
class ToolGroup : public QWidget
{
    Q_OBJECT

public:
    // Without a title, a group of controls that goes with the one before.
    ToolGroup(const QString &title, QWidget *parent = nullptr);

    // The row the group's controls go into, left to right.
    QHBoxLayout *row() const { return m_row; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHBoxLayout *m_row;
};

// Shows which drag mode is in force; an indicator, not a button.
class ModeBadge : public QWidget
{
    Q_OBJECT

public:
    ModeBadge(const QIcon &icon, const QString &text, int minimumWidth, QWidget *parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);
    QString text() const { return m_text; }
    void setContent(const QIcon &icon, const QString &text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QIcon m_icon;
    QString m_text;
    int m_minimumWidth;
    bool m_active = false;
};

// A 20-point disc: a colour swatch, or the blur tool with its symbol. A ring
// in the accent colour marks the chosen one.
class DiscButton : public QAbstractButton
{
    Q_OBJECT

public:
    DiscButton(const QColor &fill, const QIcon &symbol = {}, QWidget *parent = nullptr);

    QColor color() const { return m_fill; }
    bool isChosen() const { return m_chosen; }
    void setChosen(bool chosen);

    QSize sizeHint() const override { return QSize(20, 20); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    QIcon m_symbol;
    bool m_chosen = false;
};

// Exclusive segments, one per value, in a fixed width.
class SegmentedPicker : public QWidget
{
    Q_OBJECT

public:
    SegmentedPicker(const QList<double> &values, int width, QWidget *parent = nullptr);

    double value() const;
    void setValue(double value);
    QAbstractButton *segment(int index) const;

signals:
    // The user picked a segment, also the one already chosen.
    void picked(double value);

private:
    QList<double> m_values;
    QButtonGroup *m_group;
};

// An on/off switch drawn as a pill with a knob.
class SwitchToggle : public QAbstractButton
{
    Q_OBJECT

public:
    explicit SwitchToggle(QWidget *parent = nullptr);

    QSize sizeHint() const override { return QSize(32, 18); }

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace pintora
