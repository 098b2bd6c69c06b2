#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

class QAction;
class QLabel;
class QToolButton;

namespace pintora {

QString sizeAndPlace(const QRectF &pixelRect, int imageHeight);

class DiscButton;
class EditorDocument;
class ImageEditorView;
class ModeBadge;
class SegmentedPicker;
class SwitchToggle;
class Tool;

// The row above the canvas: the left-button, actions and right-button groups
// and the selection's size. It keeps no state: its buttons are faces of the
// editor's actions, and the other controls show the document and send it the
// user's choices.
class EditorToolbar : public QWidget
{
    Q_OBJECT

public:
    explicit EditorToolbar(ImageEditorView &editor);

    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildLeftGroup();
    QWidget *buildActionsGroup();
    QWidget *buildRightGroup();
    QWidget *buildStyleGroup();
    QToolButton *button(QAction *action, const char *name, bool withText = true);

    ImageEditorView &m_editor;
    EditorDocument &m_document;
    ModeBadge *m_selectBadge = nullptr;
    ModeBadge *m_boxBadge = nullptr;
    DiscButton *m_blur = nullptr;
    QList<QPair<const Tool *, DiscButton *>> m_toolDiscs;
    QList<DiscButton *> m_swatches;
    SegmentedPicker *m_lineWidths = nullptr;
    SwitchToggle *m_fill = nullptr;
    SwitchToggle *m_solid = nullptr; // the fill opaque rather than a tint
    QLabel *m_sizeReadout = nullptr;
    QLabel *m_zoomReadout = nullptr;
};

} // namespace pintora
