#include "core/document/EditHistory.h"

#include <utility>

namespace pintora {

EditHistory::Kept EditHistory::push(std::unique_ptr<EditStep> step, bool keepRedo)
{
    if (!step->redo())
        return Kept::failed;
    if (!keepRedo)
        return keepDone(std::move(step));
    m_steps.insert(m_steps.begin() + m_index, std::move(step));
    ++m_index;
    emit countsChanged();
    return Kept::asStep;
}

EditHistory::Kept EditHistory::keepDone(std::unique_ptr<EditStep> step)
{
    // A change of its own forgets what could be redone.
    m_steps.resize(std::size_t(m_index));
    const bool folded = m_index > 0 && m_steps.back()->absorb(*step);
    if (!folded) {
        m_steps.push_back(std::move(step));
        ++m_index;
    }
    emit countsChanged();
    return folded ? Kept::folded : Kept::asStep;
}

int EditHistory::markersToUndo() const
{
    int markers = 0;
    for (int i = 0; i < m_index; ++i)
        markers += m_steps[std::size_t(i)]->markers();
    return markers;
}

EditStep *EditHistory::undo()
{
    if (m_index == 0 || !m_steps[std::size_t(m_index - 1)]->undo())
        return nullptr;
    EditStep *step = m_steps[std::size_t(--m_index)].get();
    emit countsChanged();
    return step;
}

EditStep *EditHistory::redo()
{
    if (m_index == int(m_steps.size()) || !m_steps[std::size_t(m_index)]->redo())
        return nullptr;
    EditStep *step = m_steps[std::size_t(m_index++)].get();
    emit countsChanged();
    return step;
}

} // namespace pintora
