#include "core/EditHistory.h"

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
    if (!std::exchange(m_pushed, true))
        return;
    m_changedArea = QRect();
    for (ImageEdit &edit : m_edits)
        m_changedArea |= swapEdit(m_image, edit);
}

} // namespace pintora
