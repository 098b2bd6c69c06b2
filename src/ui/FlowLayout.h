#pragma once

#include <QLayout>
#include <QList>

namespace pintora {

// Lays its items out in rows like words in a line of text, starting a new
// row when the next item does not fit, so that a row of controls never
// makes its window wider than the screen. Items sit vertically centred in
// their row; right-to-left layouts run from the right. The last item may go
// to the far end of its row.
class FlowLayout : public QLayout
{
    Q_OBJECT

public:
    FlowLayout(QWidget *parent, int spacing);
    ~FlowLayout() override;

    void setLastItemTrailing(bool trailing) { m_lastTrailing = trailing; }

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items in `rect` (or only measures); returns the height used.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
    bool m_lastTrailing = false;
};

} // namespace pintora
