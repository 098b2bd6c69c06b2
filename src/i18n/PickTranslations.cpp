#include "i18n/Translations.h"

#include <array>
#include <cstddef>

// The texts that tell how a mark once drawn is picked and changed, in the
// list of mouse actions and keys.
namespace pintora {
namespace {

struct PickTexts {
    const char *pickHint;
    const char *deleteMarkHint;
    const char *nudgeMarkHint;
    const char *retypeHint;
};

// Indexed by the Language enumeration's order.
// clang-format off
constexpr PickTexts table[] = {
    {// english
     .pickHint = "Left click on a mark: pick it, then drag it or its handles; a colour, width or fill restyles it; Escape lets it go",
     .deleteMarkHint = "Delete the picked mark",
     .nudgeMarkHint = "Move the picked mark by a pixel (Shift: ten)",
     .retypeHint = "Edit the picked text (or double-click it)",
    },
    {// hungarian
     .pickHint = "Bal kattintás egy rajzolt jelölésen: kiválasztja; utána húzható ő maga vagy a fogópontjai; a szín, a vonalvastagság vagy a kitöltés választása módosítja; az Esc elengedi",
     .deleteMarkHint = "A kiválasztott jelölés törlése",
     .nudgeMarkHint = "A kiválasztott jelölés mozgatása egy képponttal (Shift: tízzel)",
     .retypeHint = "A kiválasztott szöveg szerkesztése (vagy kattintson rá duplán)",
    },
    {// german
     .pickHint = "Linksklick auf eine Markierung: auswählen, dann sie oder ihre Griffe ziehen; Farbe, Breite oder Füllung ändern sie; Esc gibt sie frei",
     .deleteMarkHint = "Ausgewählte Markierung löschen",
     .nudgeMarkHint = "Ausgewählte Markierung um ein Pixel verschieben (Umschalt: zehn)",
     .retypeHint = "Ausgewählten Text bearbeiten (oder doppelt darauf klicken)",
    },
    {// spanish
     .pickHint = "Clic izquierdo en una marca: la selecciona; luego arrástrala o arrastra sus tiradores; un color, grosor o relleno la cambia; Esc la suelta",
     .deleteMarkHint = "Borrar la marca seleccionada",
     .nudgeMarkHint = "Mover la marca seleccionada un píxel (Mayús: diez)",
     .retypeHint = "Editar el texto seleccionado (o hacer doble clic en él)",
    },
    {// french
     .pickHint = "Clic gauche sur une marque : la sélectionner, puis la faire glisser ou tirer ses poignées ; une couleur, une épaisseur ou un remplissage la modifie ; Échap la relâche",
     .deleteMarkHint = "Supprimer la marque sélectionnée",
     .nudgeMarkHint = "Déplacer la marque sélectionnée d'un pixel (Maj : dix)",
     .retypeHint = "Modifier le texte sélectionné (ou double-cliquer dessus)",
    },
    {// italian
     .pickHint = "Clic sinistro su un segno: lo seleziona, poi trascinalo o trascina le sue maniglie; un colore, uno spessore o un riempimento lo modifica; Esc lo rilascia",
     .deleteMarkHint = "Elimina il segno selezionato",
     .nudgeMarkHint = "Sposta il segno selezionato di un pixel (Maiusc: dieci)",
     .retypeHint = "Modifica il testo selezionato (o fai doppio clic su di esso)",
    },
    {// portuguese
     .pickHint = "Clique esquerdo numa marca: seleciona-a; depois arraste-a ou às suas alças; uma cor, espessura ou preenchimento altera-a; Esc solta-a",
     .deleteMarkHint = "Apagar a marca selecionada",
     .nudgeMarkHint = "Mover a marca selecionada um pixel (Shift: dez)",
     .retypeHint = "Editar o texto selecionado (ou clicar duas vezes nele)",
    },
    {// russian
     .pickHint = "Щелчок левой кнопкой по пометке: выбрать её, затем перетащить её или её маркеры; цвет, толщина или заливка меняют её; Esc отпускает",
     .deleteMarkHint = "Удалить выбранную пометку",
     .nudgeMarkHint = "Сдвинуть выбранную пометку на пиксель (Shift: на десять)",
     .retypeHint = "Изменить выбранный текст (или дважды щёлкнуть по нему)",
    },
    {// japanese
     .pickHint = "マークを左クリックで選択、ドラッグで移動、ハンドルで変形、色・太さ・塗りで変更、Esc で解除",
     .deleteMarkHint = "選択したマークを削除",
     .nudgeMarkHint = "選択したマークを 1 ピクセル移動 (Shift: 10)",
     .retypeHint = "選択したテキストを編集 (ダブルクリックでも可)",
    },
    {// chinese
     .pickHint = "左键单击标记：选中它，然后拖动它或其控制点；选择颜色、粗细或填充可修改它；Esc 取消选中",
     .deleteMarkHint = "删除选中的标记",
     .nudgeMarkHint = "将选中的标记移动一个像素（Shift：十个）",
     .retypeHint = "编辑选中的文字（或双击它）",
    },
    {// korean
     .pickHint = "표시를 왼쪽 클릭: 선택한 뒤 표시나 핸들을 드래그하고, 색·굵기·채우기로 바꿉니다. Esc로 선택 해제",
     .deleteMarkHint = "선택한 표시 삭제",
     .nudgeMarkHint = "선택한 표시를 1픽셀 이동 (Shift: 10)",
     .retypeHint = "선택한 텍스트 편집 (또는 더블클릭)",
    },
    {// arabic
     .pickHint = "نقرة يسرى على علامة: تحديدها، ثم اسحبها أو اسحب مقابضها؛ يغيّرها اختيار لون أو سُمك أو تعبئة؛ Esc يُلغي التحديد",
     .deleteMarkHint = "حذف العلامة المحددة",
     .nudgeMarkHint = "تحريك العلامة المحددة بكسلًا واحدًا (Shift: عشرة)",
     .retypeHint = "تحرير النص المحدد (أو انقر عليه نقرًا مزدوجًا)",
    },
    {// dutch
     .pickHint = "Linksklik op een markering: selecteren, daarna haar of haar grepen slepen; een kleur, dikte of vulling past haar aan; Esc laat haar los",
     .deleteMarkHint = "Geselecteerde markering verwijderen",
     .nudgeMarkHint = "Geselecteerde markering een pixel verschuiven (Shift: tien)",
     .retypeHint = "Geselecteerde tekst bewerken (of erop dubbelklikken)",
    },
    {// polish
     .pickHint = "Kliknięcie lewym przyciskiem na oznaczenie: wybiera je; potem przeciągnij je lub jego uchwyty; kolor, grubość lub wypełnienie je zmienia; Esc je puszcza",
     .deleteMarkHint = "Usuń wybrane oznaczenie",
     .nudgeMarkHint = "Przesuń wybrane oznaczenie o piksel (Shift: o dziesięć)",
     .retypeHint = "Edytuj wybrany tekst (lub kliknij go dwukrotnie)",
    },
    {// turkish
     .pickHint = "Bir işarete sol tıklama: onu seçer; sonra kendisini ya da tutamaçlarını sürükleyin; renk, kalınlık veya dolgu onu değiştirir; Esc bırakır",
     .deleteMarkHint = "Seçili işareti sil",
     .nudgeMarkHint = "Seçili işareti bir piksel taşı (Shift: on)",
     .retypeHint = "Seçili metni düzenle (ya da üzerine çift tıkla)",
    },
    {// swedish
     .pickHint = "Vänsterklick på en anteckning: välj den, dra sedan den eller dess handtag; en färg, bredd eller fyllning ändrar den; Esc släpper den",
     .deleteMarkHint = "Ta bort den valda anteckningen",
     .nudgeMarkHint = "Flytta den valda anteckningen en pixel (Skift: tio)",
     .retypeHint = "Redigera den valda texten (eller dubbelklicka på den)",
    },
    {// norwegian
     .pickHint = "Venstreklikk på en merknad: velg den, og dra den eller håndtakene dens; en farge, bredde eller fyll endrer den; Esc slipper den",
     .deleteMarkHint = "Slett den valgte merknaden",
     .nudgeMarkHint = "Flytt den valgte merknaden én piksel (Shift: ti)",
     .retypeHint = "Rediger den valgte teksten (eller dobbeltklikk på den)",
    },
    {// danish
     .pickHint = "Venstreklik på et mærke: vælg det, og træk det eller dets håndtag; en farve, bredde eller udfyldning ændrer det; Esc slipper det",
     .deleteMarkHint = "Slet det valgte mærke",
     .nudgeMarkHint = "Flyt det valgte mærke én pixel (Skift: ti)",
     .retypeHint = "Rediger den valgte tekst (eller dobbeltklik på den)",
    },
    {// finnish
     .pickHint = "Vasen napsautus merkintään: valitse se, vedä sitten sitä tai sen kahvoja; väri, paksuus tai täyttö muuttaa sitä; Esc vapauttaa sen",
     .deleteMarkHint = "Poista valittu merkintä",
     .nudgeMarkHint = "Siirrä valittua merkintää pikselin verran (Vaihto: kymmenen)",
     .retypeHint = "Muokkaa valittua tekstiä (tai kaksoisnapsauta sitä)",
    },
    {// czech
     .pickHint = "Levé kliknutí na značku: vybere ji; pak ji přetáhněte nebo táhněte za její úchyty; barva, tloušťka nebo výplň ji změní; Esc ji pustí",
     .deleteMarkHint = "Smazat vybranou značku",
     .nudgeMarkHint = "Posunout vybranou značku o pixel (Shift: o deset)",
     .retypeHint = "Upravit vybraný text (nebo na něj dvakrát klikněte)",
    },
};
// clang-format on

static_assert(std::size(table) == allLanguages.size());

const PickTexts &texts()
{
    return table[static_cast<std::size_t>(Translations::current)];
}

} // namespace

// clang-format off
QString Translations::pickHint() { return QString::fromUtf8(texts().pickHint); }
QString Translations::deleteMarkHint() { return QString::fromUtf8(texts().deleteMarkHint); }
QString Translations::nudgeMarkHint() { return QString::fromUtf8(texts().nudgeMarkHint); }
QString Translations::retypeHint() { return QString::fromUtf8(texts().retypeHint); }
// clang-format on

} // namespace pintora
