#include "core/document/EditHistory.h"

#include <algorithm>
#include <utility>

namespace pintora {

QRect swapEdit(QImage &image, ImageEdit &edit)
{
    if (edit.area.isNull()) {
        image.swap(edit.pixels);
        return image.rect();
    }
    Q_ASSERT(edit.pixels.format() == image.format() && edit.pixels.size() == edit.area.size());
    Q_ASSERT(image.depth() % 8 == 0);
    const qsizetype rowBytes = qsizetype(edit.area.width()) * image.depth() / 8;
    const qsizetype offset = qsizetype(edit.area.x()) * image.depth() / 8;
    for (int y = 0; y < edit.area.height(); ++y) {
        uchar *inImage = image.scanLine(edit.area.y() + y) + offset;
        uchar *inEdit = edit.pixels.scanLine(y);
        std::swap_ranges(inImage, inImage + rowBytes, inEdit);
    }
    return edit.area;
}

EditStep::EditStep(QImage &image)
    : m_image(image)
{
}

void EditStep::add(ImageEdit edit)
{
    m_edits.push_back(std::move(edit));
}

void EditStep::undo()
{
    m_changedArea = QRect();
    for (auto edit = m_edits.rbegin(); edit != m_edits.rend(); ++edit)
        m_changedArea |= swapEdit(m_image, *edit);
}

void EditStep::redo()
{
    m_changedArea = QRect();
    for (ImageEdit &edit : m_edits)
        m_changedArea |= swapEdit(m_image, edit);
}

void EditHistory::push(std::unique_ptr<EditStep> step, bool keepRedo)
{
    Q_ASSERT(!keepRedo || step->isEmpty());
    if (!keepRedo)
        m_steps.resize(std::size_t(m_index));
    step->redo();
    m_steps.insert(m_steps.begin() + m_index, std::move(step));
    ++m_index;
    emit countsChanged();
}

int EditHistory::markersToUndo() const
{
    int markers = 0;
    for (int i = 0; i < m_index; ++i)
        markers += m_steps[std::size_t(i)]->markers();
    return markers;
}

EditStep *EditHistory::newest()
{
    return m_index > 0 ? m_steps[std::size_t(m_index - 1)].get() : nullptr;
}

EditStep *EditHistory::undo()
{
    if (m_index == 0)
        return nullptr;
    EditStep *step = m_steps[std::size_t(--m_index)].get();
    step->undo();
    emit countsChanged();
    return step;
}

EditStep *EditHistory::redo()
{
    if (m_index == int(m_steps.size()))
        return nullptr;
    EditStep *step = m_steps[std::size_t(m_index++)].get();
    step->redo();
    emit countsChanged();
    return step;
}

} // namespace pintora
