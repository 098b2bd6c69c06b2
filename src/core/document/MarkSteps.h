#pragma once

#include "core/document/EditHistory.h"
#include "core/document/MarkedImage.h"

namespace pintora {

// The undoable steps of a marked image, each carrying its change.

// A new mark on top; the first one on an image that cannot hold colours
// converts it, which its undo takes back.
class MarkAdded final : public EditStep
{
public:
    MarkAdded(MarkedImage &image, const Tool &tool, const Mark &mark);

    bool redo() override;
    bool undo() override;
    int markers() const override { return m_tool->isNumbered() ? 1 : 0; }

private:
    MarkedImage &m_image;
    const Tool *m_tool;
    Mark m_mark;
    int m_index = -1; // until first done
    PlacedMark m_kept; // while undone
    QImage m_other; // the other side of a conversion; null without one
};

// A mark taken out.
class MarkRemoved final : public EditStep
{
public:
    MarkRemoved(MarkedImage &image, int index);
    // The mark at `index` already taken out, as `removed`, changing `area`.
    MarkRemoved(MarkedImage &image, int index, PlacedMark removed, const QRect &area);

    bool redo() override;
    bool undo() override;

private:
    MarkedImage &m_image;
    int m_index;
    PlacedMark m_kept; // while done
};

// A mark moved, reshaped, restyled or retyped. Nudges of one mark by the
// keys, one after another, are one step.
class MarkChanged final : public EditStep
{
public:
    // To change the mark at `index` into `after`; `before` is what it is
    // now.
    MarkChanged(MarkedImage &image, int index, const Mark &before, const Mark &after, bool isNudge = false);

    bool redo() override;
    bool undo() override;
    bool absorb(EditStep &next) override;
    // The area the change made, for a step kept already done.
    void setChangedArea(const QRect &area) { m_changed = area; }

private:
    bool become(const Mark &mark);

    MarkedImage &m_image;
    int m_index;
    Mark m_before, m_after;
    bool m_isNudge;
};

// The image replaced by another with marks of its own (a paste, a crop).
class ImageReplaced final : public EditStep
{
public:
    ImageReplaced(MarkedImage &image, MarkedImage other);

    bool redo() override;
    bool undo() override { return redo(); }

private:
    MarkedImage &m_image;
    MarkedImage m_other;
};

} // namespace pintora
