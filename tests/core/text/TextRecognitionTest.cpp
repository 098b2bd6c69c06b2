#include "ImageTestSupport.h"
#include "core/text/RecognitionImage.h"
#include "core/text/TextRecognition.h"

#include <QFont>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pintora {
namespace {

// Lines of text as a screen shows them: `pixels` high, anti-aliased.
QImage screenText(const QStringList &lines, int pixels, QColor ink, QColor ground, const QString &family)
{
    QFont font(family);
    font.setPixelSize(pixels);
    const int lineHeight = pixels * 2;
    QImage image(pixels * 40, lineHeight * int(lines.size()) + pixels * 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(ground);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ink);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPoint(pixels, pixels * 2 + i * lineHeight), lines[i]);
    return image;
}

const QStringList threeLines{QStringLiteral("error: cannot open shared object file"),
                             QStringLiteral("Invoice 2026-0412 total 1,284.50 EUR"),
                             QStringLiteral("cmake -S . -B build -G Ninja")};

} // namespace

// Prepared as recognition reads best: opaque over white, grey, dark on light,
// small text scaled up.
TEST(RecognitionImage, GreyDarkOnLightAndLarger)
{
    const struct {
        const char *what;
        QColor ink, ground;
        bool inverted;
    } cases[] = {
        {"dark on light", QColor(20, 20, 20), QColor(240, 240, 240), false},
        {"light on dark", QColor(230, 230, 230), QColor(30, 30, 40), true},
        {"transparent ground", QColor(0, 0, 0), QColor(0, 0, 0, 0), false},
    };
    for (const auto &c : cases) {
        const QImage text = screenText({QStringLiteral("Hello")}, 14, c.ink, c.ground, QStringLiteral("DejaVu Sans"));
        const RecognitionImage prepared = prepareForRecognition(text, 3);
        EXPECT_EQ(prepared.grey.format(), QImage::Format_Grayscale8) << c.what;
        EXPECT_EQ(prepared.grey.size(), text.size() * 3) << c.what;
        EXPECT_EQ(prepared.inverted, c.inverted) << c.what;
        EXPECT_GT(qGray(prepared.grey.pixel(1, 1)), 200) << c.what; // the ground is light
    }
    EXPECT_EQ(recognitionScale(QSize(800, 300)), 2);
    EXPECT_EQ(recognitionScale(QSize(1280, 800)), 2);
    EXPECT_EQ(recognitionScale(QSize(1920, 1080)), 1);
    EXPECT_TRUE(prepareForRecognition(QImage(), 3).grey.isNull());
}

// The words of screenshot-like text come back, lines kept, in both looks.
TEST(TextRecognition, ReadsScreenTextLineByLine)
{
    const std::atomic<bool> go{false};
    for (const auto &[ink, ground] :
         {std::pair{QColor(Qt::black), QColor(Qt::white)}, std::pair{QColor(220, 220, 220), QColor(35, 35, 45)}}) {
        const RecognizedText read
            = recognizeText(screenText(threeLines, 13, ink, ground, QStringLiteral("DejaVu Sans")), {}, go);
        ASSERT_EQ(read.outcome, RecognizedText::Outcome::text) << read.reason.toStdString();
        const QStringList lines = read.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << read.text.toStdString();
        EXPECT_EQ(lines[0], threeLines[0]);
        EXPECT_EQ(lines[2], threeLines[2]);
    }
}

// Every way it can fail is an outcome, never an exception nor a wait.
TEST(TextRecognition, FailuresAreOutcomes)
{
    using Outcome = RecognizedText::Outcome;
    const std::atomic<bool> go{false}, stop{true};
    const QImage text = screenText(threeLines, 13, Qt::black, Qt::white, QStringLiteral("DejaVu Sans"));
    QImage clear(400, 200, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(recognizeText(QImage(), {}, go).outcome, Outcome::noText);
    EXPECT_EQ(recognizeText(clear, {}, go).outcome, Outcome::noText);
    EXPECT_EQ(recognizeText(solidImage(300, 100, Qt::white), {}, go).outcome, Outcome::noText);
    EXPECT_EQ(recognizeText(QImage(5000, 4000, QImage::Format_Grayscale8), {}, go).outcome, Outcome::tooLarge);
    EXPECT_EQ(recognizeText(text, {}, stop).outcome, Outcome::cancelled);
    // A language asked for that is not installed is left out, not fatal.
    EXPECT_EQ(recognizeText(text, {QStringLiteral("zzz")}, go).outcome, Outcome::text);
    // No trained data where Tesseract looks.
    QTemporaryDir empty;
    const QByteArray before = qgetenv("TESSDATA_PREFIX");
    qputenv("TESSDATA_PREFIX", QFile::encodeName(empty.path()));
    EXPECT_EQ(recognizeText(text, {}, go).outcome, Outcome::noLanguageData);
    if (before.isNull())
        qunsetenv("TESSDATA_PREFIX");
    else
        qputenv("TESSDATA_PREFIX", before);
}

} // namespace pintora
