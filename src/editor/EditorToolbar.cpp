#include "editor/EditorToolbar.h"

#include "app/DarkAppearance.h"
#include "app/SymbolIcon.h"
#include "editor/ImageEditorView.h"
#include "editor/ToolbarWidgets.h"
#include "i18n/Translations.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

// Button titles are shown as they are: an ampersand is not a mnemonic.
QString literal(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

EditorToolbar::EditorToolbar(ImageEditorView &editor)
    : QWidget(&editor)
    , m_editor(editor)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 5, 10, 5);
    row->setSpacing(10);
    row->addWidget(buildLeftGroup(), 0, Qt::AlignVCenter);
    row->addWidget(buildActionsGroup(), 0, Qt::AlignVCenter);
    row->addWidget(buildRightGroup(), 0, Qt::AlignVCenter);
    row->addStretch(1);

    m_sizeReadout = new QLabel(this);
    m_sizeReadout->setObjectName(QStringLiteral("sizeReadout"));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    m_sizeReadout->setFont(mono);
    m_sizeReadout->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(m_sizeReadout, 0, Qt::AlignVCenter);
}

QPushButton *EditorToolbar::button(const QString &text, const char *name)
{
    auto *push = new QPushButton(literal(text), this);
    push->setObjectName(QLatin1String(name));
    push->setFocusPolicy(Qt::NoFocus);
    push->setAutoDefault(false);
    return push;
}

QWidget *EditorToolbar::buildLeftGroup()
{
    auto *group = new ToolGroup(Translations::left(), this);
    m_selectBadge = new ModeBadge(symbolIcon(QStringLiteral("viewfinder.crop")), Translations::select(), 70, group);
    m_selectBadge->setObjectName(QStringLiteral("selectBadge"));
    m_crop = button(Translations::crop(), "cropButton");
    m_cropAndCopy = button(Translations::cropAndCopy(), "cropAndCopyButton");
    m_save = button(QStringLiteral("Save"), "saveButton");
    connect(m_crop, &QPushButton::clicked, this, [this] { m_editor.performCrop(false); });
    connect(m_cropAndCopy, &QPushButton::clicked, this, [this] { m_editor.performCrop(true); });
    connect(m_save, &QPushButton::clicked, this, [this] { m_editor.saveCroppedToFile(); });
    for (QWidget *control : {static_cast<QWidget *>(m_selectBadge), static_cast<QWidget *>(m_crop),
                             static_cast<QWidget *>(m_cropAndCopy), static_cast<QWidget *>(m_save)})
        group->row()->addWidget(control, 0, Qt::AlignVCenter);
    return group;
}

QWidget *EditorToolbar::buildActionsGroup()
{
    auto *group = new ToolGroup(Translations::actions(), this);
    QPushButton *copy = button(Translations::copy(), "copyButton");
    QPushButton *paste = button(Translations::paste(), "pasteButton");
    m_undo = button(QString(), "undoButton");
    m_redo = button(QString(), "redoButton");
    m_undo->setIcon(symbolIcon(QStringLiteral("arrow.uturn.backward")));
    m_redo->setIcon(symbolIcon(QStringLiteral("arrow.uturn.forward")));
    m_undo->setToolTip(Translations::undo());
    m_redo->setToolTip(Translations::redo());
    m_undo->setAccessibleName(Translations::undo());
    m_redo->setAccessibleName(Translations::redo());
    connect(copy, &QPushButton::clicked, this, [this] { m_editor.copyFullImageToClipboard(); });
    connect(paste, &QPushButton::clicked, this, [this] { m_editor.pasteNewImage(); });
    connect(m_undo, &QPushButton::clicked, this, [this] { m_editor.performUndo(); });
    connect(m_redo, &QPushButton::clicked, this, [this] { m_editor.performRedo(); });
    for (QPushButton *control : {copy, paste, m_undo, m_redo})
        group->row()->addWidget(control, 0, Qt::AlignVCenter);
    return group;
}

QWidget *EditorToolbar::buildRightGroup()
{
    auto *group = new ToolGroup(Translations::right(), this);
    m_boxBadge = new ModeBadge(symbolIcon(QStringLiteral("rectangle")), Translations::box(), 60, group);
    m_boxBadge->setObjectName(QStringLiteral("boxBadge"));
    group->row()->addWidget(m_boxBadge, 0, Qt::AlignVCenter);

    auto *tools = new QHBoxLayout;
    tools->setSpacing(3);
    m_blur = new DiscButton(withAlpha(Qt::gray, 0.5), symbolIcon(QStringLiteral("hand.raised.fill")), group);
    m_blur->setObjectName(QStringLiteral("blurButton"));
    m_blur->setToolTip(Translations::blur());
    m_blur->setAccessibleName(Translations::blur());
    connect(m_blur, &QAbstractButton::clicked, this, [this] { m_editor.chooseBlur(); });
    tools->addWidget(m_blur);

    auto *divider = new QFrame(group);
    divider->setFixedSize(1, 20);
    divider->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 60);"));
    tools->addWidget(divider);

    const QList<QColor> colors = ImageEditorView::availableColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto *swatch = new DiscButton(colors[i], {}, group);
        swatch->setObjectName(QStringLiteral("colorSwatch%1").arg(i));
        swatch->setAccessibleName(colors[i].name());
        connect(swatch, &QAbstractButton::clicked, this, [this, color = colors[i]] { m_editor.chooseColor(color); });
        m_swatches.append(swatch);
        tools->addWidget(swatch);
    }
    group->row()->addLayout(tools);

    m_lineWidths = new SegmentedPicker(ImageEditorView::availableLineWidths(), 75, group);
    m_lineWidths->setObjectName(QStringLiteral("lineWidthPicker"));
    m_lineWidths->onPicked = [this](double width) { m_editor.chooseLineWidth(width); };
    group->row()->addWidget(m_lineWidths, 0, Qt::AlignVCenter);

    auto *fillLabel = new QLabel(Translations::fill(), group);
    QFont labelFont = fillLabel->font();
    labelFont.setPixelSize(12);
    fillLabel->setFont(labelFont);
    fillLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_fill = new SwitchToggle(group);
    m_fill->setObjectName(QStringLiteral("fillSwitch"));
    m_fill->setAccessibleName(Translations::fill());
    fillLabel->setBuddy(m_fill);
    connect(m_fill, &QAbstractButton::clicked, this, [this](bool on) { m_editor.chooseFilled(on); });
    auto *fill = new QHBoxLayout;
    fill->setSpacing(6);
    fill->addWidget(fillLabel);
    fill->addWidget(m_fill);
    group->row()->addLayout(fill);
    return group;
}

void EditorToolbar::refresh()
{
    const bool canCrop = m_editor.canCrop();
    m_crop->setEnabled(canCrop);
    m_cropAndCopy->setEnabled(canCrop);
    m_save->setEnabled(canCrop);
    m_undo->setEnabled(!m_editor.undoStack().isEmpty());
    m_redo->setEnabled(!m_editor.redoStack().isEmpty());

    m_selectBadge->setActive(m_editor.drawMode() == DrawMode::selection);
    m_boxBadge->setActive(m_editor.drawMode() == DrawMode::rectangle);
    m_blur->setChosen(m_editor.isBlurMode());
    for (DiscButton *swatch : std::as_const(m_swatches))
        swatch->setChosen(!m_editor.isBlurMode() && swatch->color() == m_editor.rectColor());
    m_lineWidths->setValue(m_editor.lineWidth());
    m_fill->setChecked(m_editor.filled());

    const QRectF selection = m_editor.selectionRect();
    const bool showSize = selection.width() > 0 && selection.height() > 0;
    if (showSize) {
        // Whole pixels, truncated: 99.9 shows as 99.
        m_sizeReadout->setText(QStringLiteral("%1×%2px").arg(qint64(selection.width())).arg(qint64(selection.height())));
    }
    m_sizeReadout->setVisible(showSize);
}

void EditorToolbar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}
