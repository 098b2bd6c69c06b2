#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

class QLabel;
class QScrollArea;

namespace pintora {

// The list of every mouse action and key, over the editor until a key or a
// click puts it away.
class KeysOverlay : public QWidget
{
    Q_OBJECT

public:
    // Rows of keys (empty for a mouse action) and what they do.
    using Rows = QList<QPair<QString, QString>>;

    explicit KeysOverlay(QWidget *parent);

    void showRows(const QString &title, const Rows &rows);
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The list's lines wrapped to the editor's width and its letters made
    // smaller until it fits its height, down to a size still easy to read;
    // in a smaller window (at scale 2 on a small screen) it scrolls.
    void fitList();

    QScrollArea *m_scroll;
    QLabel *m_list;
};

} // namespace pintora
