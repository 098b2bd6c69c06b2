#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>

namespace pintora {

// The text of a picture, lines and paragraphs kept, and what became of it.
struct RecognizedText {
    enum class Outcome { text, noText, noLanguageData, tooLarge, cancelled, failed };
    Outcome outcome = Outcome::failed;
    QString text;
    QString reason; // for `failed`
};

// The largest region recognized, in pixels: about a 5K screen.
inline constexpr double largestRecognizedArea = 16e6;

// How the region is prepared (see RecognitionImage.h) and how long it may take.
struct RecognitionOptions {
    int scale = 0; // 0: recognitionScale()
    bool turnOver = true; // a dark ground turned light
    int deadlineMs = 60000;
};

// Recognizes the text of `region` with Tesseract, in English and those of
// `languages` (Tesseract's names: "deu", "jpn") whose data is installed.
// Slow (a second or more for a screen of text): call it off the GUI thread.
// `cancel` set stops it at the next word; it gives up after the deadline.
// Throws nothing.
RecognizedText recognizeText(const QImage &region, const QStringList &languages, const std::atomic<bool> &cancel,
                             const RecognitionOptions &options = {});

} // namespace pintora
