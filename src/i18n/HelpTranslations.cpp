#include "i18n/Translations.h"

#include <array>
#include <cstddef>

// The texts that tell how the editor is used: the mode badges' tooltips,
// the empty editor's second line and the list of mouse actions and keys.
namespace pintora {
namespace {

struct HelpTexts {
    const char *selectTip; // the badges' tooltips
    const char *drawTip;
    const char *pasteHint; // under the empty editor's message
    const char *keysTitle; // the list of mouse actions and keys (F1)
    const char *panHint;
    const char *scrollZoomHint;
    const char *zoomKeysHint;
    const char *nudgeHint;
    const char *selectAllHint;
    const char *closeHint;
    const char *chooseToolHint;
    const char *showKeysHint;
};

// Indexed by the Language enumeration's order.
// clang-format off
constexpr HelpTexts table[] = {
    {// english
     .selectTip = "Left drag: select. Drag the selection's edges or inside to adjust it.",
     .drawTip = "Right drag, or Ctrl and left drag: draw with the chosen tool.",
     .pasteHint = "Ctrl+V pastes an image",
     .keysTitle = "Mouse and keys",
     .panHint = "Middle drag, or Space and drag: move the picture",
     .scrollZoomHint = "Wheel: scroll; with Ctrl: zoom",
     .zoomKeysHint = "Zoom in, out, to fit, to 100 %",
     .nudgeHint = "Move the selection by a pixel (Shift: ten); with Alt, its right or bottom edge",
     .selectAllHint = "Select the whole image",
     .closeHint = "Close the editor",
     .chooseToolHint = "Choose a tool",
     .showKeysHint = "Show or hide this list",
    },
    {// hungarian
     .selectTip = "Bal gombos húzás: kijelölés. A kijelölés széleit vagy belsejét húzva igazíthatja.",
     .drawTip = "Jobb gombos húzás, vagy Ctrl és bal gombos húzás: rajzolás a választott eszközzel.",
     .pasteHint = "A Ctrl+V beilleszt egy képet",
     .keysTitle = "Egér és billentyűk",
     .panHint = "Középső gombos húzás, vagy Szóköz és húzás: a kép mozgatása",
     .scrollZoomHint = "Görgő: görgetés; Ctrl-lal: nagyítás",
     .zoomKeysHint = "Nagyítás, kicsinyítés, igazítás, 100 %",
     .nudgeHint = "A kijelölés mozgatása egy képponttal (Shift: tízzel); Alttal a jobb vagy alsó széle",
     .selectAllHint = "A teljes kép kijelölése",
     .closeHint = "A szerkesztő bezárása",
     .chooseToolHint = "Eszköz választása",
     .showKeysHint = "A lista megjelenítése vagy elrejtése",
    },
    {// german
     .selectTip = "Linke Maustaste ziehen: auswählen. Ränder oder Inneres der Auswahl ziehen, um sie anzupassen.",
     .drawTip = "Rechte Maustaste ziehen, oder Strg und linke Maustaste: mit dem gewählten Werkzeug zeichnen.",
     .pasteHint = "Strg+V fügt ein Bild ein",
     .keysTitle = "Maus und Tasten",
     .panHint = "Mittlere Maustaste ziehen, oder Leertaste und ziehen: Bild verschieben",
     .scrollZoomHint = "Mausrad: blättern; mit Strg: zoomen",
     .zoomKeysHint = "Vergrößern, verkleinern, einpassen, 100 %",
     .nudgeHint = "Auswahl um ein Pixel verschieben (Umschalt: zehn); mit Alt ihren rechten oder unteren Rand",
     .selectAllHint = "Ganzes Bild auswählen",
     .closeHint = "Editor schließen",
     .chooseToolHint = "Werkzeug wählen",
     .showKeysHint = "Diese Liste zeigen oder ausblenden",
    },
    {// spanish
     .selectTip = "Arrastrar con el botón izquierdo: seleccionar. Arrastra los bordes o el interior de la selección para ajustarla.",
     .drawTip = "Arrastrar con el botón derecho, o Ctrl y botón izquierdo: dibujar con la herramienta elegida.",
     .pasteHint = "Ctrl+V pega una imagen",
     .keysTitle = "Ratón y teclas",
     .panHint = "Arrastrar con el botón central, o Espacio y arrastrar: mover la imagen",
     .scrollZoomHint = "Rueda: desplazar; con Ctrl: zoom",
     .zoomKeysHint = "Acercar, alejar, ajustar, 100 %",
     .nudgeHint = "Mover la selección un píxel (Mayús: diez); con Alt, su borde derecho o inferior",
     .selectAllHint = "Seleccionar toda la imagen",
     .closeHint = "Cerrar el editor",
     .chooseToolHint = "Elegir una herramienta",
     .showKeysHint = "Mostrar u ocultar esta lista",
    },
    {// french
     .selectTip = "Glisser avec le bouton gauche : sélectionner. Faites glisser les bords ou l'intérieur de la sélection pour l'ajuster.",
     .drawTip = "Glisser avec le bouton droit, ou Ctrl et bouton gauche : dessiner avec l'outil choisi.",
     .pasteHint = "Ctrl+V colle une image",
     .keysTitle = "Souris et touches",
     .panHint = "Glisser avec le bouton du milieu, ou Espace et glisser : déplacer l'image",
     .scrollZoomHint = "Molette : défiler ; avec Ctrl : zoomer",
     .zoomKeysHint = "Zoom avant, arrière, ajusté, 100 %",
     .nudgeHint = "Déplacer la sélection d'un pixel (Maj : dix) ; avec Alt, son bord droit ou inférieur",
     .selectAllHint = "Sélectionner toute l'image",
     .closeHint = "Fermer l'éditeur",
     .chooseToolHint = "Choisir un outil",
     .showKeysHint = "Afficher ou masquer cette liste",
    },
    {// italian
     .selectTip = "Trascina col tasto sinistro: seleziona. Trascina i bordi o l'interno della selezione per regolarla.",
     .drawTip = "Trascina col tasto destro, o Ctrl e tasto sinistro: disegna con lo strumento scelto.",
     .pasteHint = "Ctrl+V incolla un'immagine",
     .keysTitle = "Mouse e tasti",
     .panHint = "Trascina col tasto centrale, o Spazio e trascina: sposta l'immagine",
     .scrollZoomHint = "Rotellina: scorri; con Ctrl: zoom",
     .zoomKeysHint = "Ingrandisci, riduci, adatta, 100 %",
     .nudgeHint = "Sposta la selezione di un pixel (Maiusc: dieci); con Alt, il bordo destro o inferiore",
     .selectAllHint = "Seleziona tutta l'immagine",
     .closeHint = "Chiudi l'editor",
     .chooseToolHint = "Scegli uno strumento",
     .showKeysHint = "Mostra o nascondi questo elenco",
    },
    {// portuguese
     .selectTip = "Arrastar com o botão esquerdo: selecionar. Arraste as bordas ou o interior da seleção para ajustá-la.",
     .drawTip = "Arrastar com o botão direito, ou Ctrl e botão esquerdo: desenhar com a ferramenta escolhida.",
     .pasteHint = "Ctrl+V cola uma imagem",
     .keysTitle = "Mouse e teclas",
     .panHint = "Arrastar com o botão do meio, ou Espaço e arrastar: mover a imagem",
     .scrollZoomHint = "Roda: rolar; com Ctrl: zoom",
     .zoomKeysHint = "Aproximar, afastar, ajustar, 100 %",
     .nudgeHint = "Mover a seleção um pixel (Shift: dez); com Alt, a borda direita ou inferior",
     .selectAllHint = "Selecionar a imagem inteira",
     .closeHint = "Fechar o editor",
     .chooseToolHint = "Escolher uma ferramenta",
     .showKeysHint = "Mostrar ou ocultar esta lista",
    },
    {// russian
     .selectTip = "Перетаскивание левой кнопкой: выделение. Тяните края или середину выделения, чтобы изменить его.",
     .drawTip = "Перетаскивание правой кнопкой или левой с Ctrl: рисование выбранным инструментом.",
     .pasteHint = "Ctrl+V вставляет изображение",
     .keysTitle = "Мышь и клавиши",
     .panHint = "Перетаскивание средней кнопкой или с пробелом: сдвиг изображения",
     .scrollZoomHint = "Колесо: прокрутка; с Ctrl: масштаб",
     .zoomKeysHint = "Увеличить, уменьшить, по размеру окна, 100 %",
     .nudgeHint = "Сдвинуть выделение на пиксель (Shift: на десять); с Alt — его правый или нижний край",
     .selectAllHint = "Выделить всё изображение",
     .closeHint = "Закрыть редактор",
     .chooseToolHint = "Выбрать инструмент",
     .showKeysHint = "Показать или скрыть этот список",
    },
    {// japanese
     .selectTip = "左ドラッグ: 選択。選択範囲の端や内側をドラッグして調整します。",
     .drawTip = "右ドラッグ、または Ctrl+左ドラッグ: 選んだツールで描画します。",
     .pasteHint = "Ctrl+V で画像を貼り付け",
     .keysTitle = "マウスとキー",
     .panHint = "中ボタンでドラッグ、またはスペース+ドラッグ: 画像を移動",
     .scrollZoomHint = "ホイール: スクロール、Ctrl と併用: ズーム",
     .zoomKeysHint = "拡大、縮小、全体表示、100 %",
     .nudgeHint = "選択範囲を 1 ピクセル移動 (Shift: 10)、Alt で右端または下端",
     .selectAllHint = "画像全体を選択",
     .closeHint = "エディターを閉じる",
     .chooseToolHint = "ツールを選ぶ",
     .showKeysHint = "この一覧の表示/非表示",
    },
    {// chinese
     .selectTip = "左键拖动：选择。拖动选区的边缘或内部可调整选区。",
     .drawTip = "右键拖动，或按住 Ctrl 左键拖动：用所选工具绘制。",
     .pasteHint = "Ctrl+V 粘贴图像",
     .keysTitle = "鼠标和按键",
     .panHint = "中键拖动，或按住空格拖动：移动画面",
     .scrollZoomHint = "滚轮：滚动；按住 Ctrl：缩放",
     .zoomKeysHint = "放大、缩小、适合窗口、100 %",
     .nudgeHint = "将选区移动一个像素（Shift：十个）；按住 Alt 移动其右边或下边",
     .selectAllHint = "选择整个图像",
     .closeHint = "关闭编辑器",
     .chooseToolHint = "选择工具",
     .showKeysHint = "显示或隐藏此列表",
    },
    {// korean
     .selectTip = "왼쪽 드래그: 선택. 선택 영역의 가장자리나 안쪽을 드래그해 조정합니다.",
     .drawTip = "오른쪽 드래그 또는 Ctrl+왼쪽 드래그: 선택한 도구로 그리기.",
     .pasteHint = "Ctrl+V로 이미지 붙여넣기",
     .keysTitle = "마우스와 키",
     .panHint = "가운데 버튼 드래그 또는 Space+드래그: 그림 이동",
     .scrollZoomHint = "휠: 스크롤, Ctrl과 함께: 확대/축소",
     .zoomKeysHint = "확대, 축소, 창에 맞춤, 100 %",
     .nudgeHint = "선택 영역을 1픽셀 이동 (Shift: 10), Alt와 함께: 오른쪽 또는 아래쪽 가장자리",
     .selectAllHint = "이미지 전체 선택",
     .closeHint = "편집기 닫기",
     .chooseToolHint = "도구 선택",
     .showKeysHint = "이 목록 보이기/숨기기",
    },
    {// arabic
     .selectTip = "السحب بالزر الأيسر: تحديد. اسحب حواف التحديد أو داخله لتعديله.",
     .drawTip = "السحب بالزر الأيمن، أو Ctrl مع الزر الأيسر: الرسم بالأداة المختارة.",
     .pasteHint = "Ctrl+V يلصق صورة",
     .keysTitle = "الفأرة والمفاتيح",
     .panHint = "السحب بالزر الأوسط، أو المسافة مع السحب: تحريك الصورة",
     .scrollZoomHint = "العجلة: تمرير؛ مع Ctrl: تكبير",
     .zoomKeysHint = "تكبير، تصغير، ملاءمة، 100 %",
     .nudgeHint = "تحريك التحديد بكسلًا واحدًا (Shift: عشرة)؛ مع Alt حافته اليمنى أو السفلى",
     .selectAllHint = "تحديد الصورة كلها",
     .closeHint = "إغلاق المحرر",
     .chooseToolHint = "اختيار أداة",
     .showKeysHint = "إظهار هذه القائمة أو إخفاؤها",
    },
    {// dutch
     .selectTip = "Slepen met de linkerknop: selecteren. Sleep de randen of het binnenste van de selectie om die aan te passen.",
     .drawTip = "Slepen met de rechterknop, of Ctrl en de linkerknop: tekenen met het gekozen gereedschap.",
     .pasteHint = "Ctrl+V plakt een afbeelding",
     .keysTitle = "Muis en toetsen",
     .panHint = "Slepen met de middelste knop, of spatie en slepen: de afbeelding verschuiven",
     .scrollZoomHint = "Wieltje: scrollen; met Ctrl: zoomen",
     .zoomKeysHint = "Inzoomen, uitzoomen, passend, 100 %",
     .nudgeHint = "De selectie een pixel verschuiven (Shift: tien); met Alt haar rechter- of onderrand",
     .selectAllHint = "De hele afbeelding selecteren",
     .closeHint = "De editor sluiten",
     .chooseToolHint = "Een gereedschap kiezen",
     .showKeysHint = "Deze lijst tonen of verbergen",
    },
    {// polish
     .selectTip = "Przeciąganie lewym przyciskiem: zaznaczanie. Przeciągnij krawędzie lub wnętrze zaznaczenia, aby je dopasować.",
     .drawTip = "Przeciąganie prawym przyciskiem lub z Ctrl lewym: rysowanie wybranym narzędziem.",
     .pasteHint = "Ctrl+V wkleja obraz",
     .keysTitle = "Mysz i klawisze",
     .panHint = "Przeciąganie środkowym przyciskiem lub ze spacją: przesuwanie obrazu",
     .scrollZoomHint = "Kółko: przewijanie; z Ctrl: powiększanie",
     .zoomKeysHint = "Powiększ, pomniejsz, dopasuj, 100 %",
     .nudgeHint = "Przesuń zaznaczenie o piksel (Shift: o dziesięć); z Alt jego prawą lub dolną krawędź",
     .selectAllHint = "Zaznacz cały obraz",
     .closeHint = "Zamknij edytor",
     .chooseToolHint = "Wybierz narzędzie",
     .showKeysHint = "Pokaż lub ukryj tę listę",
    },
    {// turkish
     .selectTip = "Sol tuşla sürükleme: seçim. Ayarlamak için seçimin kenarlarını veya içini sürükleyin.",
     .drawTip = "Sağ tuşla sürükleme, ya da Ctrl ile sol tuş: seçili araçla çizim.",
     .pasteHint = "Ctrl+V bir resim yapıştırır",
     .keysTitle = "Fare ve tuşlar",
     .panHint = "Orta tuşla sürükleme, ya da Boşluk ile sürükleme: resmi kaydır",
     .scrollZoomHint = "Tekerlek: kaydır; Ctrl ile: yakınlaştır",
     .zoomKeysHint = "Yakınlaştır, uzaklaştır, sığdır, %100",
     .nudgeHint = "Seçimi bir piksel taşı (Shift: on); Alt ile sağ veya alt kenarını",
     .selectAllHint = "Resmin tamamını seç",
     .closeHint = "Düzenleyiciyi kapat",
     .chooseToolHint = "Bir araç seç",
     .showKeysHint = "Bu listeyi göster veya gizle",
    },
    {// swedish
     .selectTip = "Dra med vänster knapp: markera. Dra markeringens kanter eller insida för att justera den.",
     .drawTip = "Dra med höger knapp, eller Ctrl och vänster knapp: rita med det valda verktyget.",
     .pasteHint = "Ctrl+V klistrar in en bild",
     .keysTitle = "Mus och tangenter",
     .panHint = "Dra med mittknappen, eller blanksteg och dra: flytta bilden",
     .scrollZoomHint = "Hjul: rulla; med Ctrl: zooma",
     .zoomKeysHint = "Zooma in, ut, anpassa, 100 %",
     .nudgeHint = "Flytta markeringen en pixel (Skift: tio); med Alt dess högra eller nedre kant",
     .selectAllHint = "Markera hela bilden",
     .closeHint = "Stäng redigeraren",
     .chooseToolHint = "Välj ett verktyg",
     .showKeysHint = "Visa eller dölj den här listan",
    },
    {// norwegian
     .selectTip = "Dra med venstre knapp: merk. Dra kantene eller innsiden av merkingen for å justere den.",
     .drawTip = "Dra med høyre knapp, eller Ctrl og venstre knapp: tegn med valgt verktøy.",
     .pasteHint = "Ctrl+V limer inn et bilde",
     .keysTitle = "Mus og taster",
     .panHint = "Dra med midtknappen, eller mellomrom og dra: flytt bildet",
     .scrollZoomHint = "Hjul: rull; med Ctrl: zoom",
     .zoomKeysHint = "Zoom inn, ut, tilpass, 100 %",
     .nudgeHint = "Flytt merkingen én piksel (Shift: ti); med Alt dens høyre eller nedre kant",
     .selectAllHint = "Merk hele bildet",
     .closeHint = "Lukk redigeringsprogrammet",
     .chooseToolHint = "Velg et verktøy",
     .showKeysHint = "Vis eller skjul denne listen",
    },
    {// danish
     .selectTip = "Træk med venstre knap: markér. Træk markeringens kanter eller inderside for at justere den.",
     .drawTip = "Træk med højre knap, eller Ctrl og venstre knap: tegn med det valgte værktøj.",
     .pasteHint = "Ctrl+V indsætter et billede",
     .keysTitle = "Mus og taster",
     .panHint = "Træk med midterknappen, eller mellemrum og træk: flyt billedet",
     .scrollZoomHint = "Hjul: rul; med Ctrl: zoom",
     .zoomKeysHint = "Zoom ind, ud, tilpas, 100 %",
     .nudgeHint = "Flyt markeringen én pixel (Skift: ti); med Alt dens højre eller nederste kant",
     .selectAllHint = "Markér hele billedet",
     .closeHint = "Luk editoren",
     .chooseToolHint = "Vælg et værktøj",
     .showKeysHint = "Vis eller skjul denne liste",
    },
    {// finnish
     .selectTip = "Vedä vasemmalla painikkeella: valitse. Säädä valintaa vetämällä sen reunoja tai sisustaa.",
     .drawTip = "Vedä oikealla painikkeella tai Ctrl ja vasen painike: piirrä valitulla työkalulla.",
     .pasteHint = "Ctrl+V liittää kuvan",
     .keysTitle = "Hiiri ja näppäimet",
     .panHint = "Vedä keskipainikkeella tai välilyönti ja vedä: siirrä kuvaa",
     .scrollZoomHint = "Rulla: vieritä; Ctrl-näppäimen kanssa: zoomaa",
     .zoomKeysHint = "Lähennä, loitonna, sovita, 100 %",
     .nudgeHint = "Siirrä valintaa pikselin verran (Vaihto: kymmenen); Altilla sen oikeaa tai alareunaa",
     .selectAllHint = "Valitse koko kuva",
     .closeHint = "Sulje editori",
     .chooseToolHint = "Valitse työkalu",
     .showKeysHint = "Näytä tai piilota tämä luettelo",
    },
    {// czech
     .selectTip = "Tažení levým tlačítkem: výběr. Tažením okrajů nebo vnitřku výběru jej upravíte.",
     .drawTip = "Tažení pravým tlačítkem, nebo s Ctrl levým: kreslení zvoleným nástrojem.",
     .pasteHint = "Ctrl+V vloží obrázek",
     .keysTitle = "Myš a klávesy",
     .panHint = "Tažení prostředním tlačítkem, nebo s mezerníkem: posun obrázku",
     .scrollZoomHint = "Kolečko: posun; s Ctrl: zvětšení",
     .zoomKeysHint = "Přiblížit, oddálit, přizpůsobit, 100 %",
     .nudgeHint = "Posunout výběr o pixel (Shift: o deset); s Alt jeho pravý nebo dolní okraj",
     .selectAllHint = "Vybrat celý obrázek",
     .closeHint = "Zavřít editor",
     .chooseToolHint = "Vybrat nástroj",
     .showKeysHint = "Zobrazit nebo skrýt tento seznam",
    },
};
// clang-format on
static_assert(std::size(table) == allLanguages.size());

const HelpTexts &texts()
{
    return table[static_cast<std::size_t>(Translations::current)];
}

} // namespace

// clang-format off
QString Translations::selectTip() { return QString::fromUtf8(texts().selectTip); }
QString Translations::drawTip() { return QString::fromUtf8(texts().drawTip); }
QString Translations::pasteHint() { return QString::fromUtf8(texts().pasteHint); }
QString Translations::keysTitle() { return QString::fromUtf8(texts().keysTitle); }
QString Translations::panHint() { return QString::fromUtf8(texts().panHint); }
QString Translations::scrollZoomHint() { return QString::fromUtf8(texts().scrollZoomHint); }
QString Translations::zoomKeysHint() { return QString::fromUtf8(texts().zoomKeysHint); }
QString Translations::nudgeHint() { return QString::fromUtf8(texts().nudgeHint); }
QString Translations::selectAllHint() { return QString::fromUtf8(texts().selectAllHint); }
QString Translations::closeHint() { return QString::fromUtf8(texts().closeHint); }
QString Translations::chooseToolHint() { return QString::fromUtf8(texts().chooseToolHint); }
QString Translations::showKeysHint() { return QString::fromUtf8(texts().showKeysHint); }
// clang-format on

} // namespace pintora
