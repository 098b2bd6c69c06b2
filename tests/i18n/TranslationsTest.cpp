#include "i18n/Translations.h"

#include <gtest/gtest.h>

#include <QSet>

namespace pintora {

namespace {

Language detect(const QStringList &preferred)
{
    return Translations::languageForPreferredLanguages(preferred);
}

// Restores the interface language a test changes.
class TranslationsTest : public ::testing::Test
{
protected:
    void TearDown() override { Translations::current = Language::english; }
};

} // namespace

TEST(LanguageDetection, TheFirstPreferredLanguageCountsByItsFirstTwoLetters)
{
    // clang-format off
    const struct {
        QStringList preferred;
        Language expected;
    } cases[] = {
        {{}, Language::english},
        {{"pt-BR"}, Language::portuguese},
        {{"zh-Hans-CN"}, Language::chinese},
        {{"zh-Hant-TW"}, Language::chinese},
        {{"el-GR", "de-DE"}, Language::english}, // only the first counts
        {{"hu-HU", "en-US"}, Language::hungarian},
        {{"cs"}, Language::czech},
        {{"fr_FR.UTF-8"}, Language::french},
        {{"dexyz"}, Language::german},
        {{"nb-NO"}, Language::norwegian},
        {{"nn-NO"}, Language::norwegian},
        {{"no"}, Language::norwegian},
        // Malformed tags end in English.
        {{""}, Language::english},
        {{"d"}, Language::english},
        {{"DE-de"}, Language::english},
        {{"-de"}, Language::english},
        {{"C"}, Language::english},
        {{" fr"}, Language::english},
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(detect(c.preferred), c.expected) << c.preferred.join(u',').toStdString();
}

TEST(Language, CasesInDeclaredOrderWithTheirCodesAndNames)
{
    ASSERT_EQ(allLanguages.size(), 20u);
    EXPECT_EQ(allLanguages[0], Language::english);
    EXPECT_EQ(allLanguages[19], Language::czech);
    EXPECT_EQ(displayName(Language::czech), QStringLiteral("Čeština"));
    EXPECT_EQ(displayName(Language::arabic), QStringLiteral("العربية"));

    QSet<QString> codes;
    for (Language language : allLanguages) {
        EXPECT_EQ(rawValue(language).size(), 2);
        EXPECT_FALSE(displayName(language).isEmpty());
        codes.insert(rawValue(language));
        EXPECT_EQ(detect({rawValue(language)}), language); // each is found by its code
    }
    EXPECT_EQ(codes.size(), 20);
}

TEST_F(TranslationsTest, EveryKeyHasATextInEveryLanguage)
{
    for (Language language : allLanguages) {
        Translations::current = language;
        const QStringList texts = {
            Translations::left(),
            Translations::right(),
            Translations::actions(),
            Translations::select(),
            Translations::crop(),
            Translations::cropAndCopy(),
            Translations::copy(),
            Translations::paste(),
            Translations::box(),
            Translations::fill(),
            Translations::clear(),
            Translations::undo(),
            Translations::redo(),
            Translations::blur(),
            Translations::noImageMessage(),
            Translations::openEditor(),
            Translations::quit(),
            Translations::save(),
            Translations::red(),
            Translations::green(),
            Translations::blue(),
            Translations::yellow(),
            Translations::orange(),
            Translations::purple(),
            Translations::cyan(),
            Translations::white(),
            Translations::lineWidth(),
            Translations::saveFailed(),
            Translations::unreadableImage(),
            Translations::previousImage(),
            Translations::copyFailed(),
            Translations::selectTip(),
            Translations::drawTip(),
            Translations::pasteHint(),
            Translations::keysTitle(),
            Translations::panHint(),
            Translations::scrollZoomHint(),
            Translations::zoomKeysHint(),
            Translations::nudgeHint(),
            Translations::selectAllHint(),
            Translations::closeHint(),
            Translations::chooseToolHint(),
            Translations::showKeysHint(),
            Translations::pickHint(),
            Translations::deleteMarkHint(),
            Translations::nudgeMarkHint(),
            Translations::retypeHint(),
            Translations::solid(),
            Translations::saveAs(),
            Translations::saveNeedsSelection(),
            Translations::dragImage(),
            Translations::deselectHint(),
            Translations::copyText(),
            Translations::recognizingText(),
            Translations::noTextFound(),
            Translations::noRecognitionData(),
            Translations::recognitionFailed(),
        };
        for (const QString &text : texts)
            EXPECT_FALSE(text.trimmed().isEmpty()) << rawValue(language).toStdString();
        for (const char *tool : {"box", "arrow", "line", "ellipse", "pen", "highlighter", "step", "text", "blur"})
            EXPECT_FALSE(Translations::toolName(QLatin1String(tool)).trimmed().isEmpty()) << tool;
        EXPECT_EQ(Translations::noImageMessage().count(u'\n'), 1) << rawValue(language).toStdString();
        // Labels side by side in the toolbar tell their controls apart.
        const QStringList sideBySide = {Translations::fill(),     Translations::solid(), Translations::copy(),
                                        Translations::copyText(), Translations::paste(), Translations::save(),
                                        Translations::saveAs(),   Translations::crop(),  Translations::cropAndCopy()};
        EXPECT_EQ(QSet<QString>(sideBySide.begin(), sideBySide.end()).size(), sideBySide.size())
            << rawValue(language).toStdString();
    }
}

TEST_F(TranslationsTest, TextsFollowTheCurrentLanguage)
{
    // clang-format off
    const struct {
        Language language;
        QString (*text)();
        const char *expected;
    } cases[] = {
        {Language::english, Translations::cropAndCopy, "Crop & Copy"},
        {Language::english, Translations::noImageMessage, "Copy an image to clipboard\nor take a screenshot"},
        {Language::hungarian, Translations::blur, "Maszatolás"},
        {Language::german, Translations::cropAndCopy, "Zuschneiden & Kopieren"},
        {Language::japanese, Translations::noImageMessage, "画像をクリップボードにコピーするか\nスクリーンショットを撮ってください"},
        {Language::arabic, Translations::right, "نقرة يمنى:"},
        {Language::turkish, Translations::actions, "İşlemler:"},
        {Language::german, Translations::previousImage, "Vorheriges Bild"},
        {Language::japanese, Translations::keysTitle, "マウスとキー"},
        {Language::japanese, [] { return Translations::toolName(QStringLiteral("highlighter")); }, "蛍光ペン"},
        {Language::hungarian, [] { return Translations::toolName(QStringLiteral("blur")); }, "Maszatolás"},
    };
    // clang-format on
    for (const auto &c : cases) {
        Translations::current = c.language;
        EXPECT_EQ(c.text(), QString::fromUtf8(c.expected)) << c.expected;
    }
}

} // namespace pintora
