#include "ui/ImageEditorView.h"

#include "core/Background.h"
#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/text/TextRecognition.h"
#include "i18n/Language.h"
#include "i18n/Translations.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

// Copy Text: the selection's words (the whole image's without one) as
// plain text on the clipboard, recognized on a worker.
namespace pintora {

void ImageEditorView::copyText()
{
    if (m_recognizing)
        return; // one at a time
    const QImage region = m_document->canCrop() ? m_document->cutOutSelection() : m_document->currentImage();
    if (region.isNull())
        return;
    console::writeLine("🔎 Recognizing text in " + console::formatPixelSize(region.size()) + " px");
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_recognizing = cancel;
    // The button shows the icon text: both say it is working.
    m_copyText->setText(Translations::recognizingText());
    m_copyText->setIconText(Translations::recognizingText());
    updateActions();
    const QStringList languages{QString::fromLatin1(recognitionLanguage(Translations::current))};
    inBackground(
        this, [region, languages, cancel] { return recognizeText(region, languages, *cancel); },
        [this](const RecognizedText &read) { textRecognized(read); });
}

bool ImageEditorView::stopRecognizing()
{
    if (!m_recognizing)
        return false;
    m_recognizing->store(true);
    return true;
}

void ImageEditorView::textRecognized(const RecognizedText &read)
{
    m_recognizing.reset();
    m_copyText->setText(Translations::copyText());
    m_copyText->setIconText(Translations::copyText());
    updateActions();
    using Outcome = RecognizedText::Outcome;
    switch (read.outcome) {
    case Outcome::text: {
        QGuiApplication::clipboard()->setText(read.text);
        console::writeLine("✅ Text copied to clipboard: " + std::to_string(read.text.toUcs4().size()) + " characters");
        return;
    }
    case Outcome::cancelled: console::writeLine("❌ Text recognition stopped"); return; // asked for: nothing to warn of
    case Outcome::noText:
        console::writeLine("❌ No text found");
        emit textCopyFailed(Translations::noTextFound());
        return;
    case Outcome::noLanguageData:
        console::writeLine("❌ No language data for text recognition: install tesseract-ocr-eng");
        emit textCopyFailed(Translations::noRecognitionData());
        return;
    case Outcome::tooLarge:
        console::writeLine("❌ Text recognition failed: the area is larger than "
                           + std::to_string(int(largestRecognizedArea / 1e6)) + " megapixels");
        emit textCopyFailed(Translations::recognitionFailed());
        return;
    case Outcome::failed:
        console::writeLine(QStringLiteral("❌ Text recognition failed: ") + read.reason);
        emit textCopyFailed(Translations::recognitionFailed());
        return;
    }
}

} // namespace pintora
