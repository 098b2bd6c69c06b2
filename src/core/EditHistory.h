#pragma once

#include <QImage>
#include <QRect>
#include <QUndoCommand>

#include <vector>

namespace pintora {

// One change of the image, kept as what it replaced. Undo and redo both swap
// it with the image, so after either it holds the other side of the change.
struct ImageEdit {
    // The pixels the change touched, in bitmap space; null when the change
    // replaced the whole image.
    QRect area;
    // The pixels of `area` in the image's format, or the whole other image.
    QImage pixels;
};

// Exchanges `edit` with what `image` holds now. Returns the area of `image`
// that changed: `edit.area`, or the whole new image.
QRect swapEdit(QImage &image, ImageEdit &edit);

// One step of the history: the changes made to the image since the snapshot
// that started it, oldest first. A step without changes (a snapshot before a
// mode switch) costs no pixels.
class EditStep : public QUndoCommand
{
public:
    explicit EditStep(QImage &image);

    // A change made after the ones already here.
    void add(ImageEdit edit);

    // What the last undo or redo of this step changed.
    QRect changedArea() const { return m_changedArea; }

    void undo() override;
    void redo() override;

private:
    QImage &m_image;
    std::vector<ImageEdit> m_edits;
    QRect m_changedArea;
    bool m_pushed = false; // QUndoStack::push() calls redo(); the changes are made by then
};

} // namespace pintora
