#include "i18n/Translations.h"

#include <array>
#include <cstddef>

// The texts of Copy Text: the command, its busy state and why it failed.
namespace pintora {
namespace {

struct TextCopyTexts {
    const char *copyText;
    const char *recognizingText;
    const char *noTextFound;
    const char *noRecognitionData;
    const char *recognitionFailed;
};

// Indexed by the Language enumeration's order.
// clang-format off
constexpr TextCopyTexts table[] = {
    {// english
     .copyText = "Copy Text",
     .recognizingText = "Recognizing text… (Esc stops)",
     .noTextFound = "No text found in the picture",
     .noRecognitionData = "Copying text needs the package tesseract-ocr-eng",
     .recognitionFailed = "The text could not be recognized",
    },
    {// hungarian
     .copyText = "Szöveg másolása",
     .recognizingText = "Szövegfelismerés… (Esc: leállítás)",
     .noTextFound = "A képen nem található szöveg",
     .noRecognitionData = "A szöveg másolásához a tesseract-ocr-eng csomag szükséges",
     .recognitionFailed = "A szöveget nem sikerült felismerni",
    },
    {// german
     .copyText = "Text kopieren",
     .recognizingText = "Text wird erkannt… (Esc bricht ab)",
     .noTextFound = "Kein Text im Bild gefunden",
     .noRecognitionData = "Zum Kopieren von Text wird das Paket tesseract-ocr-eng benötigt",
     .recognitionFailed = "Der Text konnte nicht erkannt werden",
    },
    {// spanish
     .copyText = "Copiar texto",
     .recognizingText = "Reconociendo texto… (Esc detiene)",
     .noTextFound = "No se encontró texto en la imagen",
     .noRecognitionData = "Copiar texto necesita el paquete tesseract-ocr-eng",
     .recognitionFailed = "No se pudo reconocer el texto",
    },
    {// french
     .copyText = "Copier le texte",
     .recognizingText = "Reconnaissance du texte… (Échap arrête)",
     .noTextFound = "Aucun texte trouvé dans l'image",
     .noRecognitionData = "Copier le texte nécessite le paquet tesseract-ocr-eng",
     .recognitionFailed = "Le texte n'a pas pu être reconnu",
    },
    {// italian
     .copyText = "Copia testo",
     .recognizingText = "Riconoscimento del testo… (Esc interrompe)",
     .noTextFound = "Nessun testo trovato nell'immagine",
     .noRecognitionData = "Per copiare il testo serve il pacchetto tesseract-ocr-eng",
     .recognitionFailed = "Impossibile riconoscere il testo",
    },
    {// portuguese
     .copyText = "Copiar texto",
     .recognizingText = "A reconhecer o texto… (Esc para)",
     .noTextFound = "Nenhum texto encontrado na imagem",
     .noRecognitionData = "Copiar texto precisa do pacote tesseract-ocr-eng",
     .recognitionFailed = "Não foi possível reconhecer o texto",
    },
    {// russian
     .copyText = "Копировать текст",
     .recognizingText = "Распознавание текста… (Esc — остановить)",
     .noTextFound = "В изображении не найден текст",
     .noRecognitionData = "Для копирования текста нужен пакет tesseract-ocr-eng",
     .recognitionFailed = "Не удалось распознать текст",
    },
    {// japanese
     .copyText = "テキストをコピー",
     .recognizingText = "テキストを認識中…（Esc で中止）",
     .noTextFound = "画像にテキストが見つかりません",
     .noRecognitionData = "テキストのコピーには tesseract-ocr-eng パッケージが必要です",
     .recognitionFailed = "テキストを認識できませんでした",
    },
    {// chinese
     .copyText = "复制文字",
     .recognizingText = "正在识别文字…（Esc 停止）",
     .noTextFound = "图像中未找到文字",
     .noRecognitionData = "复制文字需要 tesseract-ocr-eng 软件包",
     .recognitionFailed = "无法识别文字",
    },
    {// korean
     .copyText = "텍스트 복사",
     .recognizingText = "텍스트 인식 중… (Esc로 중지)",
     .noTextFound = "그림에서 텍스트를 찾지 못했습니다",
     .noRecognitionData = "텍스트를 복사하려면 tesseract-ocr-eng 패키지가 필요합니다",
     .recognitionFailed = "텍스트를 인식하지 못했습니다",
    },
    {// arabic
     .copyText = "نسخ النص",
     .recognizingText = "جارٍ التعرّف على النص… (Esc للإيقاف)",
     .noTextFound = "لم يُعثر على نص في الصورة",
     .noRecognitionData = "نسخ النص يحتاج إلى الحزمة tesseract-ocr-eng",
     .recognitionFailed = "تعذّر التعرّف على النص",
    },
    {// dutch
     .copyText = "Tekst kopiëren",
     .recognizingText = "Tekst wordt herkend… (Esc stopt)",
     .noTextFound = "Geen tekst gevonden in de afbeelding",
     .noRecognitionData = "Tekst kopiëren vereist het pakket tesseract-ocr-eng",
     .recognitionFailed = "De tekst kon niet worden herkend",
    },
    {// polish
     .copyText = "Kopiuj tekst",
     .recognizingText = "Rozpoznawanie tekstu… (Esc przerywa)",
     .noTextFound = "Nie znaleziono tekstu na obrazie",
     .noRecognitionData = "Kopiowanie tekstu wymaga pakietu tesseract-ocr-eng",
     .recognitionFailed = "Nie udało się rozpoznać tekstu",
    },
    {// turkish
     .copyText = "Metni kopyala",
     .recognizingText = "Metin tanınıyor… (Esc durdurur)",
     .noTextFound = "Resimde metin bulunamadı",
     .noRecognitionData = "Metin kopyalamak için tesseract-ocr-eng paketi gerekir",
     .recognitionFailed = "Metin tanınamadı",
    },
    {// swedish
     .copyText = "Kopiera text",
     .recognizingText = "Känner igen text… (Esc avbryter)",
     .noTextFound = "Ingen text hittades i bilden",
     .noRecognitionData = "Att kopiera text kräver paketet tesseract-ocr-eng",
     .recognitionFailed = "Texten kunde inte kännas igen",
    },
    {// norwegian
     .copyText = "Kopier tekst",
     .recognizingText = "Gjenkjenner tekst… (Esc stopper)",
     .noTextFound = "Fant ingen tekst i bildet",
     .noRecognitionData = "Kopiering av tekst krever pakken tesseract-ocr-eng",
     .recognitionFailed = "Teksten kunne ikke gjenkjennes",
    },
    {// danish
     .copyText = "Kopiér tekst",
     .recognizingText = "Genkender tekst… (Esc stopper)",
     .noTextFound = "Ingen tekst fundet i billedet",
     .noRecognitionData = "Kopiering af tekst kræver pakken tesseract-ocr-eng",
     .recognitionFailed = "Teksten kunne ikke genkendes",
    },
    {// finnish
     .copyText = "Kopioi teksti",
     .recognizingText = "Tunnistetaan tekstiä… (Esc keskeyttää)",
     .noTextFound = "Kuvasta ei löytynyt tekstiä",
     .noRecognitionData = "Tekstin kopiointi vaatii paketin tesseract-ocr-eng",
     .recognitionFailed = "Tekstiä ei voitu tunnistaa",
    },
    {// czech
     .copyText = "Kopírovat text",
     .recognizingText = "Rozpoznávání textu… (Esc zastaví)",
     .noTextFound = "V obrázku nebyl nalezen žádný text",
     .noRecognitionData = "Kopírování textu vyžaduje balíček tesseract-ocr-eng",
     .recognitionFailed = "Text se nepodařilo rozpoznat",
    },
};
// clang-format on

static_assert(std::size(table) == allLanguages.size());

const TextCopyTexts &texts()
{
    return table[static_cast<std::size_t>(Translations::current)];
}

} // namespace

// clang-format off
QString Translations::copyText() { return QString::fromUtf8(texts().copyText); }
QString Translations::recognizingText() { return QString::fromUtf8(texts().recognizingText); }
QString Translations::noTextFound() { return QString::fromUtf8(texts().noTextFound); }
QString Translations::noRecognitionData() { return QString::fromUtf8(texts().noRecognitionData); }
QString Translations::recognitionFailed() { return QString::fromUtf8(texts().recognitionFailed); }
// clang-format on

} // namespace pintora
