#include "app/EditorHandOff.h"

#include <QTimer>

namespace pintora {

EditorHandOff::EditorHandOff(CopyReport *report, Hold hold, QObject *parent)
    : QObject(parent)
    , m_hold(hold)
{
    // Later, never inside the question: Qt is in the middle of answering it.
    connect(report, &CopyReport::asked, this, [this] { letGoIn(0); });
}

EditorHandOff::~EditorHandOff()
{
    letGo();
}

void EditorHandOff::waitForCopy(EditorWindow *window)
{
    letGo();
    m_window = window;
    if (m_hold == Hold::none && m_window) {
        m_window->hide(); // in this step; deleted on the next
        letGoIn(0);
        return;
    }
    letGoIn(limitMs);
}

void EditorHandOff::letGoIn(int milliseconds)
{
    if (!m_window)
        return;
    // That window only: another may be waiting by then.
    const auto letItGo = [this, window = m_window] {
        if (window == m_window)
            letGo();
    };
    if (milliseconds == 0) // on the next turn of the event loop, before any timer
        QMetaObject::invokeMethod(this, letItGo, Qt::QueuedConnection);
    else
        QTimer::singleShot(milliseconds, this, letItGo);
}

void EditorHandOff::letGo()
{
    if (!m_window)
        return;
    m_window->close();
    // Later: a crop ends inside one of the window's own event handlers.
    m_window->deleteLater();
    m_window = nullptr;
}

} // namespace pintora
