#pragma once

#include <QImage>
#include <QObject>
#include <QRect>

#include <memory>
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

// One step of the history: changes of the image, oldest first, each holding
// the pixels to put in. Redo and undo swap them with the image, so a change
// always holds the other side of itself. A step without changes (a snapshot
// before a mode switch) costs no pixels.
class EditStep
{
public:
    explicit EditStep(QImage &image);

    // A change to make after the ones already here, before the step is done.
    void add(ImageEdit edit);
    bool isEmpty() const { return m_edits.empty(); }
    // Numbered markers placed by this step's changes.
    void addMarker() { ++m_markers; }
    int markers() const { return m_markers; }

    // What the last undo or redo of this step changed.
    QRect changedArea() const { return m_changedArea; }

    void undo();
    void redo();

private:
    QImage &m_image;
    std::vector<ImageEdit> m_edits;
    QRect m_changedArea;
    int m_markers = 0;
};

// The steps that can be undone, oldest first, then those that can be redone.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    int undoCount() const { return m_index; }
    int redoCount() const { return int(m_steps.size()) - m_index; }
    // Numbered markers in the steps that can be undone.
    int markersToUndo() const;

    // Does `step` and keeps it as the newest to undo. The steps to redo go,
    // unless `keepRedo`: after a step that changes nothing they still apply.
    void push(std::unique_ptr<EditStep> step, bool keepRedo = false);
    // The newest step to undo; null when there is none.
    EditStep *newest();
    // Undoes or redoes a step and returns it; null when there is none.
    EditStep *undo();
    EditStep *redo();

signals:
    void countsChanged();

private:
    std::vector<std::unique_ptr<EditStep>> m_steps;
    int m_index = 0;
};

} // namespace pintora
