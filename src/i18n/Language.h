#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace pintora {

// The interface languages, in their declared order.
enum class Language {
    english,
    hungarian,
    german,
    spanish,
    french,
    italian,
    portuguese,
    russian,
    japanese,
    chinese,
    korean,
    arabic,
    dutch,
    polish,
    turkish,
    swedish,
    norwegian,
    danish,
    finnish,
    czech,
};

inline constexpr std::array<Language, 20> allLanguages{
    Language::english, Language::hungarian,  Language::german,  Language::spanish,  Language::french,
    Language::italian, Language::portuguese, Language::russian, Language::japanese, Language::chinese,
    Language::korean,  Language::arabic,     Language::dutch,   Language::polish,   Language::turkish,
    Language::swedish, Language::norwegian,  Language::danish,  Language::finnish,  Language::czech,
};

// The two-letter code, e.g. "hu".
QString rawValue(Language language);

// The language's own name for itself, e.g. "Magyar".
QString displayName(Language language);

// Whether the language is written from right to left.
inline bool isRightToLeft(Language language)
{
    return language == Language::arabic;
}

// The language whose code is exactly `code` (whole string, case-sensitive).
std::optional<Language> languageFromRawValue(QStringView code);

// Tesseract's name for the language's trained data: "deu", "jpn", "chi_sim".
const char *recognitionLanguage(Language language);

} // namespace pintora
