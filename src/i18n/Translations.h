#pragma once

#include "i18n/Language.h"

#include <QString>
#include <QStringList>

namespace pintora {

// Every interface text, looked up in the language in force when it is read.
class Translations
{
public:
    Translations() = delete;

    // The interface language; chosen once at launch, English until then.
    // Main thread only.
    static Language current;

    // The language for the user's preferred languages of this system.
    static Language detectSystemLanguage();

    // The rule behind it: only the first preferred language counts (English
    // when there is none), cut to its first two characters and matched
    // exactly against the language codes; English when nothing matches.
    static Language languageForPreferredLanguages(const QStringList &preferredLanguages);

    static QString left();
    static QString right();
    static QString actions();
    static QString select();
    static QString crop();
    static QString cropAndCopy();
    static QString copy();
    static QString paste();
    static QString box();
    static QString fill();
    static QString clear();
    static QString undo();
    static QString redo();
    static QString blur();
    static QString noImageMessage();
    // The tray icon's menu.
    static QString openEditor();
    static QString previousImage();
    static QString quit();
    // Tooltips and messages.
    static QString save();
    static QString red();
    static QString green();
    static QString blue();
    static QString yellow();
    static QString orange();
    static QString purple();
    static QString cyan();
    static QString white();
    static QString lineWidth();
    static QString saveFailed();
    static QString unreadableImage();
    static QString copyFailed();
    // How the editor is used (HelpTranslations.cpp).
    static QString selectTip();
    static QString drawTip();
    static QString pasteHint();
    static QString keysTitle();
    static QString panHint();
    static QString scrollZoomHint();
    static QString zoomKeysHint();
    static QString nudgeHint();
    static QString selectAllHint();
    static QString closeHint();
    static QString chooseToolHint();
    static QString showKeysHint();
    // Copy Text: the command, its busy state, and why it failed.
    static QString copyText();
    static QString recognizingText();
    static QString noTextFound();
    static QString noRecognitionData();
    static QString recognitionFailed();
    // Saving under a name, dragging out, the solid fill.
    static QString solid();
    static QString saveAs();
    static QString saveNeedsSelection();
    static QString dragImage();
    static QString deselectHint();
    // A mark once drawn, picked.
    static QString pickHint();
    static QString deleteMarkHint();
    static QString nudgeMarkHint();
    static QString retypeHint();
    // The name of the tool with that id ("box", "arrow", …); the id itself
    // for one without a name.
    static QString toolName(const QString &id);
    // The name of the swatch colour with that id ("red", …); the id itself
    // for one without a name.
    static QString colorName(const QString &id);
};

} // namespace pintora
