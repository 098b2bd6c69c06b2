#include "i18n/Translations.h"

#include <QLocale>

#include <cstddef>

namespace pintora {

Language Translations::current = Language::english;

namespace {

struct Texts {
    const char *left;
    const char *right;
    const char *actions;
    const char *select;
    const char *crop;
    const char *cropAndCopy;
    const char *copy;
    const char *paste;
    const char *box;
    const char *fill;
    const char *clear;
    const char *undo;
    const char *redo;
    const char *blur;
    const char *noImageMessage;
    const char *openEditor; // the tray menu
    const char *quit;
};

// Indexed by the Language enumeration's order.
constexpr Texts table[] = {
    {// english
     .left = "Left click:",
     .right = "Right click:",
     .actions = "Actions:",
     .select = "Select",
     .crop = "Crop",
     .cropAndCopy = "Crop & Copy",
     .copy = "Copy",
     .paste = "Paste",
     .box = "Box",
     .fill = "Fill",
     .clear = "Clear",
     .undo = "Undo",
     .redo = "Redo",
     .blur = "Blur",
     .noImageMessage = "Copy an image to clipboard\nor take a screenshot",
     .openEditor = "Open Editor",
     .quit = "Quit",
    },
    {// hungarian
     .left = "Bal gombbal:",
     .right = "Jobb gombbal:",
     .actions = "Műveletek:",
     .select = "Select",
     .crop = "Crop",
     .cropAndCopy = "Crop & Copy",
     .copy = "Copy",
     .paste = "Paste",
     .box = "Box",
     .fill = "Fill",
     .clear = "Clear",
     .undo = "Undo",
     .redo = "Redo",
     .blur = "Maszatolás",
     .noImageMessage = "Másolj valami képet a vágólapra\nvagy csinálj egy képernyőképet",
     .openEditor = "Szerkesztő megnyitása",
     .quit = "Kilépés",
    },
    {// german
     .left = "Linksklick:",
     .right = "Rechtsklick:",
     .actions = "Aktionen:",
     .select = "Auswahl",
     .crop = "Zuschneiden",
     .cropAndCopy = "Zuschneiden & Kopieren",
     .copy = "Kopieren",
     .paste = "Einfügen",
     .box = "Box",
     .fill = "Füllen",
     .clear = "Löschen",
     .undo = "Rückgängig",
     .redo = "Wiederholen",
     .blur = "Unschärfe",
     .noImageMessage = "Kopiere ein Bild in die Zwischenablage\noder mache einen Screenshot",
     .openEditor = "Editor öffnen",
     .quit = "Beenden",
    },
    {// spanish
     .left = "Clic izquierdo:",
     .right = "Clic derecho:",
     .actions = "Acciones:",
     .select = "Seleccionar",
     .crop = "Recortar",
     .cropAndCopy = "Recortar y copiar",
     .copy = "Copiar",
     .paste = "Pegar",
     .box = "Cuadro",
     .fill = "Rellenar",
     .clear = "Borrar",
     .undo = "Deshacer",
     .redo = "Rehacer",
     .blur = "Difuminar",
     .noImageMessage = "Copia una imagen al portapapeles\no toma una captura de pantalla",
     .openEditor = "Abrir editor",
     .quit = "Salir",
    },
    {// french
     .left = "Clic gauche:",
     .right = "Clic droit:",
     .actions = "Actions:",
     .select = "Sélectionner",
     .crop = "Rogner",
     .cropAndCopy = "Rogner et copier",
     .copy = "Copier",
     .paste = "Coller",
     .box = "Boîte",
     .fill = "Remplir",
     .clear = "Effacer",
     .undo = "Annuler",
     .redo = "Refaire",
     .blur = "Flou",
     .noImageMessage = "Copiez une image dans le presse-papiers\nou prenez une capture d'écran",
     .openEditor = "Ouvrir l’éditeur",
     .quit = "Quitter",
    },
    {// italian
     .left = "Clic sinistro:",
     .right = "Clic destro:",
     .actions = "Azioni:",
     .select = "Seleziona",
     .crop = "Ritaglia",
     .cropAndCopy = "Ritaglia e copia",
     .copy = "Copia",
     .paste = "Incolla",
     .box = "Riquadro",
     .fill = "Riempi",
     .clear = "Cancella",
     .undo = "Annulla",
     .redo = "Ripeti",
     .blur = "Sfocatura",
     .noImageMessage = "Copia un'immagine negli appunti\no fai uno screenshot",
     .openEditor = "Apri editor",
     .quit = "Esci",
    },
    {// portuguese
     .left = "Clique esquerdo:",
     .right = "Clique direito:",
     .actions = "Ações:",
     .select = "Selecionar",
     .crop = "Cortar",
     .cropAndCopy = "Cortar e copiar",
     .copy = "Copiar",
     .paste = "Colar",
     .box = "Caixa",
     .fill = "Preencher",
     .clear = "Limpar",
     .undo = "Desfazer",
     .redo = "Refazer",
     .blur = "Desfocar",
     .noImageMessage = "Copie uma imagem para a área de transferência\nou tire uma captura de tela",
     .openEditor = "Abrir editor",
     .quit = "Sair",
    },
    {// russian
     .left = "Левая кнопка:",
     .right = "Правая кнопка:",
     .actions = "Действия:",
     .select = "Выбор",
     .crop = "Обрезать",
     .cropAndCopy = "Обрезать и скопировать",
     .copy = "Копировать",
     .paste = "Вставить",
     .box = "Рамка",
     .fill = "Заливка",
     .clear = "Очистить",
     .undo = "Отменить",
     .redo = "Повторить",
     .blur = "Размытие",
     .noImageMessage = "Скопируйте изображение в буфер обмена\nили сделайте скриншот",
     .openEditor = "Открыть редактор",
     .quit = "Выход",
    },
    {// japanese
     .left = "左クリック:",
     .right = "右クリック:",
     .actions = "操作:",
     .select = "選択",
     .crop = "切り抜き",
     .cropAndCopy = "切り抜きとコピー",
     .copy = "コピー",
     .paste = "貼り付け",
     .box = "ボックス",
     .fill = "塗りつぶし",
     .clear = "クリア",
     .undo = "元に戻す",
     .redo = "やり直す",
     .blur = "ぼかし",
     .noImageMessage = "画像をクリップボードにコピーするか\nスクリーンショットを撮ってください",
     .openEditor = "エディタを開く",
     .quit = "終了",
    },
    {// chinese
     .left = "左键:",
     .right = "右键:",
     .actions = "操作:",
     .select = "选择",
     .crop = "裁剪",
     .cropAndCopy = "裁剪并复制",
     .copy = "复制",
     .paste = "粘贴",
     .box = "框",
     .fill = "填充",
     .clear = "清除",
     .undo = "撤销",
     .redo = "重做",
     .blur = "模糊",
     .noImageMessage = "复制图片到剪贴板\n或截取屏幕截图",
     .openEditor = "打开编辑器",
     .quit = "退出",
    },
    {// korean
     .left = "왼쪽 클릭:",
     .right = "오른쪽 클릭:",
     .actions = "작업:",
     .select = "선택",
     .crop = "자르기",
     .cropAndCopy = "자르고 복사",
     .copy = "복사",
     .paste = "붙여넣기",
     .box = "박스",
     .fill = "채우기",
     .clear = "지우기",
     .undo = "실행 취소",
     .redo = "다시 실행",
     .blur = "흐림",
     .noImageMessage = "클립보드에 이미지를 복사하거나\n스크린샷을 찍으세요",
     .openEditor = "편집기 열기",
     .quit = "종료",
    },
    {// arabic
     .left = "نقرة يسرى:",
     .right = "نقرة يمنى:",
     .actions = "إجراءات:",
     .select = "تحديد",
     .crop = "قص",
     .cropAndCopy = "قص ونسخ",
     .copy = "نسخ",
     .paste = "لصق",
     .box = "صندوق",
     .fill = "تعبئة",
     .clear = "مسح",
     .undo = "تراجع",
     .redo = "إعادة",
     .blur = "طمس",
     .noImageMessage = "انسخ صورة إلى الحافظة\nأو التقط لقطة شاشة",
     .openEditor = "فتح المحرر",
     .quit = "إنهاء",
    },
    {// dutch
     .left = "Linksklik:",
     .right = "Rechtsklik:",
     .actions = "Acties:",
     .select = "Selecteren",
     .crop = "Bijsnijden",
     .cropAndCopy = "Bijsnijden en kopiëren",
     .copy = "Kopiëren",
     .paste = "Plakken",
     .box = "Vak",
     .fill = "Vullen",
     .clear = "Wissen",
     .undo = "Ongedaan maken",
     .redo = "Opnieuw",
     .blur = "Vervagen",
     .noImageMessage = "Kopieer een afbeelding naar klembord\nof maak een screenshot",
     .openEditor = "Editor openen",
     .quit = "Afsluiten",
    },
    {// polish
     .left = "Lewy klik:",
     .right = "Prawy klik:",
     .actions = "Akcje:",
     .select = "Wybierz",
     .crop = "Przytnij",
     .cropAndCopy = "Przytnij i kopiuj",
     .copy = "Kopiuj",
     .paste = "Wklej",
     .box = "Ramka",
     .fill = "Wypełnij",
     .clear = "Wyczyść",
     .undo = "Cofnij",
     .redo = "Ponów",
     .blur = "Rozmycie",
     .noImageMessage = "Skopiuj obraz do schowka\nlub zrób zrzut ekranu",
     .openEditor = "Otwórz edytor",
     .quit = "Zakończ",
    },
    {// turkish
     .left = "Sol tık:",
     .right = "Sağ tık:",
     .actions = "İşlemler:",
     .select = "Seç",
     .crop = "Kırp",
     .cropAndCopy = "Kırp ve kopyala",
     .copy = "Kopyala",
     .paste = "Yapıştır",
     .box = "Kutu",
     .fill = "Doldur",
     .clear = "Temizle",
     .undo = "Geri al",
     .redo = "Yinele",
     .blur = "Bulanıklaştırma",
     .noImageMessage = "Panoya bir resim kopyalayın\nveya ekran görüntüsü alın",
     .openEditor = "Düzenleyiciyi aç",
     .quit = "Çık",
    },
    {// swedish
     .left = "Vänsterklick:",
     .right = "Högerklick:",
     .actions = "Åtgärder:",
     .select = "Välj",
     .crop = "Beskär",
     .cropAndCopy = "Beskär och kopiera",
     .copy = "Kopiera",
     .paste = "Klistra in",
     .box = "Ruta",
     .fill = "Fyll",
     .clear = "Rensa",
     .undo = "Ångra",
     .redo = "Gör om",
     .blur = "Oskärpa",
     .noImageMessage = "Kopiera en bild till urklipp\neller ta en skärmdump",
     .openEditor = "Öppna redigeraren",
     .quit = "Avsluta",
    },
    {// norwegian
     .left = "Venstreklikk:",
     .right = "Høyreklikk:",
     .actions = "Handlinger:",
     .select = "Velg",
     .crop = "Beskjær",
     .cropAndCopy = "Beskjær og kopier",
     .copy = "Kopier",
     .paste = "Lim inn",
     .box = "Boks",
     .fill = "Fyll",
     .clear = "Tøm",
     .undo = "Angre",
     .redo = "Gjør om",
     .blur = "Uskarphet",
     .noImageMessage = "Kopier et bilde til utklippstavlen\neller ta et skjermbilde",
     .openEditor = "Åpne redigeringsprogrammet",
     .quit = "Avslutt",
    },
    {// danish
     .left = "Venstreklik:",
     .right = "Højreklik:",
     .actions = "Handlinger:",
     .select = "Vælg",
     .crop = "Beskær",
     .cropAndCopy = "Beskær og kopier",
     .copy = "Kopier",
     .paste = "Indsæt",
     .box = "Boks",
     .fill = "Fyld",
     .clear = "Ryd",
     .undo = "Fortryd",
     .redo = "Gentag",
     .blur = "Slør",
     .noImageMessage = "Kopiér et billede til udklipsholderen\neller tag et skærmbillede",
     .openEditor = "Åbn editoren",
     .quit = "Afslut",
    },
    {// finnish
     .left = "Vasen nappi:",
     .right = "Oikea nappi:",
     .actions = "Toiminnot:",
     .select = "Valitse",
     .crop = "Rajaa",
     .cropAndCopy = "Rajaa ja kopioi",
     .copy = "Kopioi",
     .paste = "Liitä",
     .box = "Laatikko",
     .fill = "Täytä",
     .clear = "Tyhjennä",
     .undo = "Kumoa",
     .redo = "Tee uudelleen",
     .blur = "Sumennus",
     .noImageMessage = "Kopioi kuva leikepöydälle\ntai ota kuvakaappaus",
     .openEditor = "Avaa editori",
     .quit = "Lopeta",
    },
    {// czech
     .left = "Levé tlačítko:",
     .right = "Pravé tlačítko:",
     .actions = "Akce:",
     .select = "Vybrat",
     .crop = "Oříznout",
     .cropAndCopy = "Oříznout a kopírovat",
     .copy = "Kopírovat",
     .paste = "Vložit",
     .box = "Rámeček",
     .fill = "Vyplnit",
     .clear = "Vymazat",
     .undo = "Zpět",
     .redo = "Znovu",
     .blur = "Rozmazání",
     .noImageMessage = "Zkopírujte obrázek do schránky\nnebo pořiďte snímek obrazovky",
     .openEditor = "Otevřít editor",
     .quit = "Ukončit",
    },
};
static_assert(std::size(table) == allLanguages.size());

const Texts &texts()
{
    return table[static_cast<std::size_t>(Translations::current)];
}

} // namespace

Language Translations::detectSystemLanguage()
{
    return languageForPreferredLanguages(QLocale::system().uiLanguages());
}

Language Translations::languageForPreferredLanguages(const QStringList &preferredLanguages)
{
    const QString first = preferredLanguages.isEmpty() ? QStringLiteral("en") : preferredLanguages.first();
    QStringView code = QStringView(first).left(2);
    // Bokmål and Nynorsk, the codes Linux locales use, read Norwegian.
    if (code == u"nb" || code == u"nn")
        code = u"no";
    return languageFromRawValue(code).value_or(Language::english);
}

QString Translations::left() { return QString::fromUtf8(texts().left); }
QString Translations::right() { return QString::fromUtf8(texts().right); }
QString Translations::actions() { return QString::fromUtf8(texts().actions); }
QString Translations::select() { return QString::fromUtf8(texts().select); }
QString Translations::crop() { return QString::fromUtf8(texts().crop); }
QString Translations::cropAndCopy() { return QString::fromUtf8(texts().cropAndCopy); }
QString Translations::copy() { return QString::fromUtf8(texts().copy); }
QString Translations::paste() { return QString::fromUtf8(texts().paste); }
QString Translations::box() { return QString::fromUtf8(texts().box); }
QString Translations::fill() { return QString::fromUtf8(texts().fill); }
QString Translations::clear() { return QString::fromUtf8(texts().clear); }
QString Translations::undo() { return QString::fromUtf8(texts().undo); }
QString Translations::redo() { return QString::fromUtf8(texts().redo); }
QString Translations::blur() { return QString::fromUtf8(texts().blur); }
QString Translations::noImageMessage() { return QString::fromUtf8(texts().noImageMessage); }
QString Translations::openEditor() { return QString::fromUtf8(texts().openEditor); }
QString Translations::quit() { return QString::fromUtf8(texts().quit); }

} // namespace pintora
