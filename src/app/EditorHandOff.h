#pragma once

#include "ui/Clipboard.h"
#include "ui/EditorWindow.h"

#include <QObject>
#include <QPointer>

namespace pintora {

// After Crop & Copy the editor is done with, but a Wayland compositor drops
// a copy whose window went before it took the offer. So there the window
// stays on screen until another program asks for the offer (the report's
// `asked`), or for a moment at most; never deleted in the step that made the
// copy. An X server needs no such wait: the window hides at once.
class EditorHandOff : public QObject
{
    Q_OBJECT

public:
    enum class Hold { untilAsked, none };
    EditorHandOff(CopyReport *report, Hold hold = Hold::untilAsked, QObject *parent = nullptr);
    ~EditorHandOff() override;

    // Takes `window`, and lets it go once its copy is taken. A window
    // still waiting goes at once.
    void waitForCopy(EditorWindow *window);
    // Whether a window waits for its copy to be asked for; if not, it goes
    // at once, and may be hidden before the copy is offered.
    bool holds() const { return m_hold != Hold::none; }

    // How long at most a window waits.
    static constexpr int limitMs = 150;

private:
    void letGoIn(int milliseconds);
    void letGo();

    const Hold m_hold;
    QPointer<EditorWindow> m_window; // owned; a top-level window
};

} // namespace pintora
