#include "ui/ImageEditorView.h"

#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/KeysOverlay.h"

#include <QAction>

// The list of every mouse action and key (F1).
namespace pintora {

void ImageEditorView::showKeys()
{
    // The first keys of each: the rest are the platform's alternatives.
    const auto keys = [](const QAction *action, int count = 1) {
        QStringList names;
        for (const QKeySequence &key : action->shortcuts().mid(0, count))
            names.append(key.toString(QKeySequence::NativeText));
        return names.join(QStringLiteral("  "));
    };
    // Each tool by its name and key: "Box (B), Arrow (A), …".
    QStringList keysOfTools, tools;
    for (const Tool *tool : allTools()) {
        keysOfTools.append(QString(tool->key()));
        tools.append(QStringLiteral("%1 (%2)").arg(Translations::toolName(tool->id()), QString(tool->key())));
    }
    const QList<QAction *> &view = m_viewActions; // select all, in, out, fit, 100 %, keys
    const KeysOverlay::Rows rows = {
        {{}, Translations::selectTip()},
        {{}, Translations::drawTip()},
        {{}, Translations::pickHint()},
        {{}, Translations::panHint()},
        {{}, Translations::scrollZoomHint()},
        {QStringList{keys(view[1]), keys(view[2]), keys(view[3]), keys(view[4])}.join(QStringLiteral("  ")),
         Translations::zoomKeysHint()},
        {QStringLiteral("← ↑ → ↓"), Translations::nudgeHint()},
        {QStringLiteral("← ↑ → ↓"), Translations::nudgeMarkHint()},
        {QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText), Translations::deleteMarkHint()},
        {QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText), Translations::retypeHint()},
        {keys(view[0]), Translations::selectAllHint()},
        {keys(m_deselect), Translations::deselectHint()},
        {keys(m_cropAndCopy), Translations::cropAndCopy()},
        {keys(m_save), Translations::save()},
        {keys(m_saveAs), Translations::saveAs()},
        {keys(m_copy), Translations::copy()},
        {keys(m_copyText), Translations::copyText()},
        {keys(m_paste), Translations::paste()},
        {keys(m_undo), Translations::undo()},
        {keys(m_redo, 2), Translations::redo()},
        {keysOfTools.join(u' '),
         Translations::chooseToolHint() + QStringLiteral(": ") + tools.join(QStringLiteral(", "))},
        {keys(m_close), Translations::closeHint()},
        {keys(view[5], 2), Translations::showKeysHint()},
    };
    m_keys->showRows(Translations::keysTitle(), rows);
}

} // namespace pintora
