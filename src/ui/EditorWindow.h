#pragma once

#include <QWidget>

class QScreen;

namespace pintora {

class ImageEditorView;

// The editor's top-level window: titled, sized to four fifths of the screen
// it opens on (never more than the space the desktop leaves free) and
// centred in that space; its frame is kept inside it. Closing hides it; it
// keeps its editor and edits until its owner lets it go.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    // `image` may be null.
    explicit EditorWindow(const QImage &image, QWidget *parent = nullptr);

    ImageEditorView *editor() const { return m_editor; }

    // Builds and lays out everything a first show needs, without showing.
    void prepare();

    // Sized and centred on the screen under the pointer, where the user
    // clicked the tray icon.
    void placeOnScreen();

    // Shown, un-minimized, in front and with the keyboard.
    void present();

    // Four fifths of the whole screen (not just its free area), at most the
    // free area, centred in it.
    static QRect geometryOn(const QScreen *screen);
    static QRect geometryFor(const QRect &screen, const QRect &available);
    // Where a window frame goes so that all of it lies in `available`: as
    // it is when it does, else shrunk to fit and moved inside. `decoration`
    // is what the frame adds to the window's own size.
    static QRect frameInside(const QRect &available, const QRect &frame, const QSize &decoration);

private:
    void keepOnScreen();

    ImageEditorView *m_editor;
};

} // namespace pintora
