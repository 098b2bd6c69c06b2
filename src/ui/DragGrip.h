#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <memory>

class QMimeData;
class QTemporaryDir;

namespace pintora {

class EditorDocument;

// A small picture of the image in the toolbar that drags it out: the
// selection when there is one, else the whole image, as PNG bytes and as a
// PNG file in a folder of our own, so that chats, mail and file managers
// each find a form they take.
class DragGrip : public QWidget
{
    Q_OBJECT

public:
    explicit DragGrip(EditorDocument &document, QWidget *parent = nullptr);
    ~DragGrip() override;

    QSize sizeHint() const override { return QSize(34, 24); }

    // What a drag would carry now; null without an image, or when it cannot
    // be encoded or written (said on the console).
    QMimeData *dragData();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    EditorDocument &m_document;
    QImage m_thumbnail; // null: made again at the next paint
    QPoint m_pressedAt;
    bool m_pressed = false;
    // Where dragged files are written: private to the user, gone with the editor.
    std::unique_ptr<QTemporaryDir> m_folder;
    int m_drags = 0;
};

} // namespace pintora
