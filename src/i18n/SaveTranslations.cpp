#include "i18n/Translations.h"

#include <array>
#include <cstddef>

// The texts of saving under a name, dragging the image out and the solid fill.
namespace pintora {
namespace {

struct SaveTexts {
    const char *solid;
    const char *saveAs;
    const char *saveNeedsSelection;
    const char *dragImage;
    const char *deselectHint;
};

// Indexed by the Language enumeration's order.
// clang-format off
constexpr SaveTexts table[] = {
    {// english
     .solid = "Solid",
     .saveAs = "Save Image As…",
     .saveNeedsSelection = "Select an area first; Save Image As… saves the whole image",
     .dragImage = "Drag the image (or the selection) into another program",
     .deselectHint = "Drop the selection",
    },
    {// hungarian
     .solid = "Tömör",
     .saveAs = "Kép mentése másként…",
     .saveNeedsSelection = "Előbb jelöljön ki egy területet; a Kép mentése másként… az egész képet menti",
     .dragImage = "Húzza a képet (vagy a kijelölést) egy másik programba",
     .deselectHint = "Kijelölés megszüntetése",
    },
    {// german
     .solid = "Deckend",
     .saveAs = "Bild speichern unter…",
     .saveNeedsSelection = "Zuerst einen Bereich auswählen; „Bild speichern unter…“ speichert das ganze Bild",
     .dragImage = "Bild (oder Auswahl) in ein anderes Programm ziehen",
     .deselectHint = "Auswahl aufheben",
    },
    {// spanish
     .solid = "Sólido",
     .saveAs = "Guardar imagen como…",
     .saveNeedsSelection = "Primero selecciona un área; Guardar imagen como… guarda la imagen entera",
     .dragImage = "Arrastra la imagen (o la selección) a otro programa",
     .deselectHint = "Quitar la selección",
    },
    {// french
     .solid = "Opaque",
     .saveAs = "Enregistrer l'image sous…",
     .saveNeedsSelection = "Sélectionnez d'abord une zone ; Enregistrer l'image sous… enregistre l'image entière",
     .dragImage = "Glisser l'image (ou la sélection) vers un autre programme",
     .deselectHint = "Annuler la sélection",
    },
    {// italian
     .solid = "Pieno",
     .saveAs = "Salva immagine come…",
     .saveNeedsSelection = "Seleziona prima un'area; Salva immagine come… salva l'intera immagine",
     .dragImage = "Trascina l'immagine (o la selezione) in un altro programma",
     .deselectHint = "Annulla la selezione",
    },
    {// portuguese
     .solid = "Sólido",
     .saveAs = "Guardar imagem como…",
     .saveNeedsSelection = "Selecione primeiro uma área; Guardar imagem como… guarda a imagem inteira",
     .dragImage = "Arraste a imagem (ou a seleção) para outro programa",
     .deselectHint = "Retirar a seleção",
    },
    {// russian
     .solid = "Сплошная",
     .saveAs = "Сохранить изображение как…",
     .saveNeedsSelection = "Сначала выделите область; «Сохранить изображение как…» сохраняет всё изображение",
     .dragImage = "Перетащите изображение (или выделение) в другую программу",
     .deselectHint = "Снять выделение",
    },
    {// japanese
     .solid = "不透明",
     .saveAs = "名前を付けて画像を保存…",
     .saveNeedsSelection = "先に範囲を選択してください。「名前を付けて画像を保存…」は画像全体を保存します",
     .dragImage = "画像（または選択範囲）を別のアプリにドラッグ",
     .deselectHint = "選択を解除",
    },
    {// chinese
     .solid = "实心",
     .saveAs = "图像另存为…",
     .saveNeedsSelection = "请先选择一个区域；“图像另存为…”保存整张图像",
     .dragImage = "将图像（或选区）拖到其他程序",
     .deselectHint = "取消选择",
    },
    {// korean
     .solid = "불투명",
     .saveAs = "다른 이름으로 이미지 저장…",
     .saveNeedsSelection = "먼저 영역을 선택하세요. ‘다른 이름으로 이미지 저장…’은 이미지 전체를 저장합니다",
     .dragImage = "이미지(또는 선택 영역)를 다른 프로그램으로 끌어다 놓기",
     .deselectHint = "선택 해제",
    },
    {// arabic
     .solid = "مُصمَت",
     .saveAs = "حفظ الصورة باسم…",
     .saveNeedsSelection = "حدّد منطقة أولًا؛ «حفظ الصورة باسم…» يحفظ الصورة كاملة",
     .dragImage = "اسحب الصورة (أو التحديد) إلى برنامج آخر",
     .deselectHint = "إلغاء التحديد",
    },
    {// dutch
     .solid = "Dekkend",
     .saveAs = "Afbeelding opslaan als…",
     .saveNeedsSelection = "Selecteer eerst een gebied; Afbeelding opslaan als… slaat de hele afbeelding op",
     .dragImage = "Sleep de afbeelding (of de selectie) naar een ander programma",
     .deselectHint = "Selectie opheffen",
    },
    {// polish
     .solid = "Pełne",
     .saveAs = "Zapisz obraz jako…",
     .saveNeedsSelection = "Najpierw zaznacz obszar; „Zapisz obraz jako…” zapisuje cały obraz",
     .dragImage = "Przeciągnij obraz (lub zaznaczenie) do innego programu",
     .deselectHint = "Usuń zaznaczenie",
    },
    {// turkish
     .solid = "Opak",
     .saveAs = "Resmi farklı kaydet…",
     .saveNeedsSelection = "Önce bir alan seçin; Resmi farklı kaydet… resmin tamamını kaydeder",
     .dragImage = "Resmi (veya seçimi) başka bir programa sürükleyin",
     .deselectHint = "Seçimi kaldır",
    },
    {// swedish
     .solid = "Heltäckande",
     .saveAs = "Spara bild som…",
     .saveNeedsSelection = "Markera ett område först; Spara bild som… sparar hela bilden",
     .dragImage = "Dra bilden (eller markeringen) till ett annat program",
     .deselectHint = "Avmarkera",
    },
    {// norwegian
     .solid = "Dekkende",
     .saveAs = "Lagre bilde som…",
     .saveNeedsSelection = "Merk et område først; Lagre bilde som… lagrer hele bildet",
     .dragImage = "Dra bildet (eller markeringen) til et annet program",
     .deselectHint = "Fjern markeringen",
    },
    {// danish
     .solid = "Dækkende",
     .saveAs = "Gem billede som…",
     .saveNeedsSelection = "Markér først et område; Gem billede som… gemmer hele billedet",
     .dragImage = "Træk billedet (eller markeringen) til et andet program",
     .deselectHint = "Fjern markeringen",
    },
    {// finnish
     .solid = "Peittävä",
     .saveAs = "Tallenna kuva nimellä…",
     .saveNeedsSelection = "Valitse ensin alue; Tallenna kuva nimellä… tallentaa koko kuvan",
     .dragImage = "Vedä kuva (tai valinta) toiseen ohjelmaan",
     .deselectHint = "Poista valinta",
    },
    {// czech
     .solid = "Plná",
     .saveAs = "Uložit obrázek jako…",
     .saveNeedsSelection = "Nejprve vyberte oblast; Uložit obrázek jako… uloží celý obrázek",
     .dragImage = "Přetáhněte obrázek (nebo výběr) do jiného programu",
     .deselectHint = "Zrušit výběr",
    },
};
// clang-format on

static_assert(std::size(table) == allLanguages.size());

const SaveTexts &texts()
{
    return table[static_cast<std::size_t>(Translations::current)];
}

} // namespace

// clang-format off
QString Translations::solid() { return QString::fromUtf8(texts().solid); }
QString Translations::saveAs() { return QString::fromUtf8(texts().saveAs); }
QString Translations::saveNeedsSelection() { return QString::fromUtf8(texts().saveNeedsSelection); }
QString Translations::dragImage() { return QString::fromUtf8(texts().dragImage); }
QString Translations::deselectHint() { return QString::fromUtf8(texts().deselectHint); }
// clang-format on

} // namespace pintora
