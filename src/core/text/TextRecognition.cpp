#include "core/text/TextRecognition.h"

#include "core/text/RecognitionImage.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// Tesseract's threads are OpenMP's; one is enough (see below).
extern "C" void omp_set_num_threads(int threads);

namespace pintora {
namespace {

bool cancelled(void *flag, int)
{
    return static_cast<const std::atomic<bool> *>(flag)->load(std::memory_order_relaxed);
}

// Tesseract's languages: English, and those asked for whose data is there.
std::string languagesToUse(tesseract::TessBaseAPI &api, const QStringList &wanted)
{
    std::vector<std::string> installed;
    api.GetAvailableLanguagesAsVector(&installed);
    std::string use = "eng";
    for (const QString &language : wanted) {
        const std::string name = language.toStdString();
        if (name != "eng" && std::find(installed.begin(), installed.end(), name) != installed.end())
            use += "+" + name;
    }
    return use;
}

// Lines and paragraphs as Tesseract found them, without its trailing blanks
// and page break.
QString tidy(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        line.remove(QChar(0x0c));
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    while (!lines.isEmpty() && lines.front().isEmpty())
        lines.removeFirst();
    return lines.join(QLatin1Char('\n'));
}

RecognizedText recognize(const QImage &region, const QStringList &languages, const std::atomic<bool> &cancel,
                         const RecognitionOptions &options)
{
    using Outcome = RecognizedText::Outcome;
    if (region.isNull() || region.width() < 1 || region.height() < 1)
        return {Outcome::noText, {}, {}};
    if (double(region.width()) * region.height() > largestRecognizedArea)
        return {Outcome::tooLarge, {}, {}};
    const RecognitionImage prepared = prepareForRecognition(
        region, options.scale > 0 ? options.scale : recognitionScale(region.size()), options.turnOver);
    if (prepared.grey.isNull())
        return {Outcome::failed, {}, QStringLiteral("not enough memory")};
    if (cancel)
        return {Outcome::cancelled, {}, {}};

    auto api = std::make_unique<tesseract::TessBaseAPI>();
    // Its messages are not ours to print.
    api->SetVariable("debug_file", "/dev/null");
    if (api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0)
        return {Outcome::noLanguageData, {}, {}};
    const std::string use = languagesToUse(*api, languages);
    if (use != "eng") {
        api->End();
        api = std::make_unique<tesseract::TessBaseAPI>();
        api->SetVariable("debug_file", "/dev/null");
        if (api->Init(nullptr, use.c_str(), tesseract::OEM_LSTM_ONLY) != 0)
            return {Outcome::failed, {}, QStringLiteral("the language data could not be loaded")};
    }
    api->SetPageSegMode(tesseract::PSM_AUTO);
    api->SetImage(prepared.grey.constBits(), prepared.grey.width(), prepared.grey.height(), 1,
                  int(prepared.grey.bytesPerLine()));
    // Screen pixels are about 96 a inch.
    api->SetSourceResolution(96 * prepared.scale);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelled;
    monitor.cancel_this = const_cast<std::atomic<bool> *>(&cancel);
    monitor.set_deadline_msecs(options.deadlineMs);
    // On this thread only: OpenMP's threads cost Tesseract more than they
    // give on a desktop shared with other work (measured: a small screenshot
    // 765 ms with them on two cores, 299 ms with one).
    omp_set_num_threads(1);
    const int status = api->Recognize(&monitor);
    if (cancel)
        return {Outcome::cancelled, {}, {}};
    if (monitor.deadline_exceeded())
        return {Outcome::failed, {}, QStringLiteral("it took longer than %1 s").arg(options.deadlineMs / 1000)};
    if (status != 0)
        return {Outcome::failed, {}, QStringLiteral("the recognizer gave up")};
    const std::unique_ptr<char[]> utf8(api->GetUTF8Text());
    const QString text = utf8 ? tidy(QString::fromUtf8(utf8.get())) : QString();
    if (text.trimmed().isEmpty())
        return {Outcome::noText, {}, {}};
    return {Outcome::text, text, {}};
}

} // namespace

RecognizedText recognizeText(const QImage &region, const QStringList &languages, const std::atomic<bool> &cancel,
                             const RecognitionOptions &options)
{
    try {
        return recognize(region, languages, cancel, options);
    } catch (const std::bad_alloc &) {
        return {RecognizedText::Outcome::failed, {}, QStringLiteral("not enough memory")};
    } catch (...) {
        return {RecognizedText::Outcome::failed, {}, QStringLiteral("the recognizer failed")};
    }
}

} // namespace pintora
