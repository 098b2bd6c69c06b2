#pragma once

#include <QList>
#include <QWidget>

class DiscButton;
class ImageEditorView;
class ModeBadge;
class QLabel;
class QPushButton;
class SegmentedPicker;
class SwitchToggle;

// The row above the canvas: the left-button, actions and right-button groups
// and the selection's size. It keeps no state: refresh() makes every control
// show the editor's state, and every control calls the editor directly.
class EditorToolbar : public QWidget
{
public:
    explicit EditorToolbar(ImageEditorView &editor);

    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildLeftGroup();
    QWidget *buildActionsGroup();
    QWidget *buildRightGroup();
    QPushButton *button(const QString &text, const char *name);

    ImageEditorView &m_editor;
    ModeBadge *m_selectBadge = nullptr;
    QPushButton *m_crop = nullptr;
    QPushButton *m_cropAndCopy = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_undo = nullptr;
    QPushButton *m_redo = nullptr;
    ModeBadge *m_boxBadge = nullptr;
    DiscButton *m_blur = nullptr;
    QList<DiscButton *> m_swatches;
    SegmentedPicker *m_lineWidths = nullptr;
    SwitchToggle *m_fill = nullptr;
    QLabel *m_sizeReadout = nullptr;
};
