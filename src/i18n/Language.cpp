#include "i18n/Language.h"

#include <cstddef>
#include <iterator>

namespace pintora {

namespace {

struct LanguageNames {
    const char *code;
    const char *displayName;
};

// Indexed by the enumeration's order.
// clang-format off
constexpr LanguageNames names[] = {
    {"en", "English"},   {"hu", "Magyar"},     {"de", "Deutsch"},    {"es", "Español"},
    {"fr", "Français"},  {"it", "Italiano"},   {"pt", "Português"},  {"ru", "Русский"},
    {"ja", "日本語"},    {"zh", "中文"},       {"ko", "한국어"},     {"ar", "العربية"},
    {"nl", "Nederlands"}, {"pl", "Polski"},    {"tr", "Türkçe"},     {"sv", "Svenska"},
    {"no", "Norsk"},     {"da", "Dansk"},      {"fi", "Suomi"},      {"cs", "Čeština"},
};
// clang-format on
static_assert(std::size(names) == allLanguages.size());

const LanguageNames &namesOf(Language language)
{
    return names[static_cast<std::size_t>(language)];
}

} // namespace

QString rawValue(Language language)
{
    return QString::fromLatin1(namesOf(language).code);
}

QString displayName(Language language)
{
    return QString::fromUtf8(namesOf(language).displayName);
}

std::optional<Language> languageFromRawValue(QStringView code)
{
    for (Language language : allLanguages) {
        if (code == QLatin1String(namesOf(language).code))
            return language;
    }
    return std::nullopt;
}

const char *recognitionLanguage(Language language)
{
    // clang-format off
    constexpr const char *names[] = {"eng", "hun", "deu", "spa", "fra", "ita", "por", "rus", "jpn", "chi_sim",
                                     "kor", "ara", "nld", "pol", "tur", "swe", "nor", "dan", "fin", "ces"};
    // clang-format on
    static_assert(std::size(names) == allLanguages.size());
    return names[static_cast<std::size_t>(language)];
}

} // namespace pintora
