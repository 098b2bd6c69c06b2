#pragma once

#include <QWidget>

#include <functional>

class QScreen;

namespace pintora {

class ImageEditorView;

// The editor's top-level window: titled, sized to four fifths of the screen
// and centred in the space the desktop leaves free. Closing hides it; it
// keeps its editor and edits until its owner lets it go.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    // `image` may be null; `onCrop` as for ImageEditorView.
    EditorWindow(const QImage &image, std::function<void(const QImage &)> onCrop, QWidget *parent = nullptr);

    ImageEditorView *editor() const { return m_editor; }

    // Shown, un-minimized, in front and with the keyboard.
    void present();

    // Four fifths of the whole screen (not just its free area), centred in
    // the free area.
    static QRect geometryOn(const QScreen *screen);

private:
    ImageEditorView *m_editor;
};

} // namespace pintora
