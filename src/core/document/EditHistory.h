#pragma once

#include <QObject>
#include <QRect>

#include <memory>
#include <vector>

namespace pintora {

// One undoable step, carrying its change: what to do again and what to
// take back. A step that changes nothing (a snapshot before a mode switch)
// costs nothing.
class EditStep
{
public:
    virtual ~EditStep() = default;

    // Makes the change, or makes it again. False, with nothing changed, when
    // memory runs out.
    virtual bool redo() { return true; }
    // Takes it back; false, with nothing changed, when memory runs out.
    virtual bool undo() { return true; }
    // Numbered markers the step places.
    virtual int markers() const { return 0; }
    // Takes `next`, a step done right after this one, into itself, so that
    // both are undone at once (the nudges of one mark); false when they
    // stay apart.
    virtual bool absorb(EditStep &) { return false; }

    // The pixels the last redo or undo changed (bitmap space); empty when
    // none did, the whole image when it was replaced.
    QRect changedArea() const { return m_changed; }

protected:
    QRect m_changed;
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

    // How a step went in: not at all (it could not be done, and nothing
    // changed), as a step of its own, or folded into the newest.
    enum class Kept { failed, asStep, folded };
    // Does `step` and keeps it as the newest to undo. The steps to redo go,
    // unless `keepRedo`: after a step that changes nothing they still apply.
    Kept push(std::unique_ptr<EditStep> step, bool keepRedo = false);
    // Keeps `step`, already done, as the newest to undo; the steps to redo go.
    Kept keepDone(std::unique_ptr<EditStep> step);
    // Undoes or redoes a step and returns it; null when there is none, or
    // when it could not be done (then nothing changed).
    EditStep *undo();
    EditStep *redo();

signals:
    void countsChanged();

private:
    std::vector<std::unique_ptr<EditStep>> m_steps;
    int m_index = 0;
};

} // namespace pintora
