#include "ui/EditorToolbar.h"

#include "ui/DragGrip.h"

#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/CanvasView.h"
#include "ui/FlowLayout.h"
#include "ui/ImageEditorView.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"
#include "ui/ToolbarWidgets.h"

#include <cmath>

#include <QAction>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace pintora {

// "640×480px @ 10,20": a selection's size and its top left corner, counted
// from the image's top left; `pixelRect` is in pixel space (y up).
QString sizeAndPlace(const QRectF &pixelRect, int imageHeight)
{
    return QStringLiteral("%1×%2px @ %3,%4")
        .arg(qint64(pixelRect.width()))
        .arg(qint64(pixelRect.height()))
        .arg(qint64(std::floor(pixelRect.left())))
        .arg(qint64(std::floor(imageHeight - pixelRect.bottom())));
}

namespace {

QIcon toolIcon(const Tool &tool)
{
    return symbolIcon(QStringLiteral("tool.") + tool.id());
}

// Button titles are shown as they are: an ampersand is not a mnemonic.
QString literal(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

EditorToolbar::EditorToolbar(ImageEditorView &editor)
    : QWidget(&editor)
    , m_editor(editor)
    , m_document(editor.document())
{
    // Groups wrap onto further rows where the window is too narrow for one.
    auto *row = new FlowLayout(this, 10);
    row->setContentsMargins(10, 5, 10, 5);
    row->setLastItemTrailing(true);
    row->addWidget(buildLeftGroup());
    row->addWidget(buildActionsGroup());
    row->addWidget(buildRightGroup());
    row->addWidget(buildStyleGroup());

    // The selection's size and the zoom, in a box as wide as their widest
    // texts whether shown or not: a read-out appearing at the start of a
    // drag must not rewrap the toolbar and move the picture under the mouse.
    auto *readouts = new QWidget(this);
    readouts->setObjectName(QStringLiteral("readouts"));
    auto *pair = new QHBoxLayout(readouts);
    pair->setContentsMargins(0, 0, 0, 0);
    pair->setSpacing(8);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    for (QLabel **label : {&m_sizeReadout, &m_zoomReadout}) {
        *label = new QLabel(readouts);
        (*label)->setFont(mono);
        (*label)->setForegroundRole(QPalette::PlaceholderText);
        (*label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_sizeReadout->setObjectName(QStringLiteral("sizeReadout"));
    m_zoomReadout->setObjectName(QStringLiteral("zoomReadout"));
    const QFontMetrics metrics(mono);
    m_sizeReadout->setFixedWidth(metrics.horizontalAdvance(sizeAndPlace(QRectF(0, 0, 16384, 16384), 32768)));
    m_zoomReadout->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("3200 %")));
    QSizePolicy kept = m_sizeReadout->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    m_sizeReadout->setSizePolicy(kept);
    pair->addWidget(m_sizeReadout);
    pair->addWidget(m_zoomReadout);
    row->addWidget(readouts);
    connect(m_editor.canvasView(), &CanvasView::zoomChanged, this, &EditorToolbar::refresh);

    connect(&m_document, &EditorDocument::selectionChanged, this, &EditorToolbar::refresh);
    connect(&m_document, &EditorDocument::drawModeChanged, this, &EditorToolbar::refresh);
    connect(&m_document, &EditorDocument::styleChanged, this, &EditorToolbar::refresh);
    connect(&m_document, &EditorDocument::pickChanged, this, &EditorToolbar::refresh);
    refresh();
}

QToolButton *EditorToolbar::button(QAction *action, const char *name, bool withText)
{
    // The button is a face of the action: it triggers it and shows its
    // text or icon, tooltip and state.
    action->setIconText(literal(action->text())); // "Crop & Copy" has no mnemonic
    auto *face = new QToolButton(this);
    face->setDefaultAction(action);
    face->setObjectName(QLatin1String(name));
    face->setFocusPolicy(Qt::NoFocus);
    face->setToolButtonStyle(withText ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    face->setAccessibleName(action->text());
    face->setMinimumSize(26, 24); // a target as easy to hit as the discs and badges
    return face;
}

QWidget *EditorToolbar::buildLeftGroup()
{
    auto *group = new ToolGroup(Translations::left(), this);
    group->setObjectName(QStringLiteral("leftGroup"));
    m_selectBadge = new ModeBadge(symbolIcon(QStringLiteral("viewfinder.crop")), Translations::select(), 70, group);
    m_selectBadge->setObjectName(QStringLiteral("selectBadge"));
    m_selectBadge->setToolTip(Translations::selectTip());
    group->row()->addWidget(m_selectBadge, 0, Qt::AlignVCenter);
    group->row()->addWidget(button(m_editor.cropAction(), "cropButton"), 0, Qt::AlignVCenter);
    group->row()->addWidget(button(m_editor.cropAndCopyAction(), "cropAndCopyButton"), 0, Qt::AlignVCenter);
    group->row()->addWidget(button(m_editor.saveAction(), "saveButton"), 0, Qt::AlignVCenter);
    group->row()->addWidget(button(m_editor.saveAsAction(), "saveAsButton"), 0, Qt::AlignVCenter);
    return group;
}

QWidget *EditorToolbar::buildActionsGroup()
{
    auto *group = new ToolGroup(Translations::actions(), this);
    group->setObjectName(QStringLiteral("actionsGroup"));
    m_editor.undoAction()->setIcon(symbolIcon(QStringLiteral("arrow.uturn.backward")));
    m_editor.redoAction()->setIcon(symbolIcon(QStringLiteral("arrow.uturn.forward")));
    QToolButton *undo = button(m_editor.undoAction(), "undoButton", false);
    QToolButton *redo = button(m_editor.redoAction(), "redoButton", false);
    // The picture to drag out, beside Copy: another way of taking it.
    group->row()->addWidget(new DragGrip(m_document, group), 0, Qt::AlignVCenter);
    for (QToolButton *control :
         {button(m_editor.copyAction(), "copyButton"), button(m_editor.copyTextAction(), "copyTextButton"),
          button(m_editor.pasteAction(), "pasteButton"), undo, redo})
        group->row()->addWidget(control, 0, Qt::AlignVCenter);
    return group;
}

QWidget *EditorToolbar::buildRightGroup()
{
    auto *group = new ToolGroup(Translations::right(), this);
    group->setObjectName(QStringLiteral("rightGroup"));
    m_boxBadge = new ModeBadge(toolIcon(boxTool()), Translations::box(), 60, group);
    m_boxBadge->setObjectName(QStringLiteral("boxBadge"));
    m_boxBadge->setToolTip(Translations::drawTip());
    group->row()->addWidget(m_boxBadge, 0, Qt::AlignVCenter);

    auto *tools = new QHBoxLayout;
    tools->setSpacing(3);
    m_blur = new DiscButton(withAlpha(neutralGrey(), 0.5), toolIcon(blurTool()), group);
    m_blur->setObjectName(QStringLiteral("blurButton"));
    m_blur->setToolTip(Translations::blur());
    m_blur->setAccessibleName(Translations::blur());
    connect(m_blur, &QAbstractButton::clicked, this, [this] { m_document.chooseBlur(); });
    tools->addWidget(m_blur);
    // The shape tools, as the registry lists them; each disc a face of its action.
    const std::span<const Tool *const> registry = allTools();
    for (std::size_t i = 0; i < registry.size(); ++i) {
        const Tool *tool = registry[i];
        if (tool == &blurTool())
            continue;
        QAction *choose = m_editor.toolActions().at(qsizetype(i));
        auto *disc = new DiscButton(withAlpha(neutralGrey(), 0.5), toolIcon(*tool), group);
        disc->setObjectName(QStringLiteral("tool.") + tool->id());
        disc->setToolTip(choose->toolTip());
        disc->setAccessibleName(choose->text());
        connect(disc, &QAbstractButton::clicked, choose, &QAction::trigger);
        m_toolDiscs.append({tool, disc});
        tools->addWidget(disc);
    }

    group->row()->addLayout(tools);
    return group;
}

QWidget *EditorToolbar::buildStyleGroup()
{
    // The colour, width and fill of what the right button draws; a group of
    // its own, so that a narrow window can wrap it onto a row of its own.
    auto *group = new ToolGroup(QString(), this);
    group->setObjectName(QStringLiteral("styleGroup"));
    auto *tools = new QHBoxLayout;
    tools->setSpacing(3);
    const QList<EditorDocument::Swatch> palette = EditorDocument::palette();
    for (int i = 0; i < palette.size(); ++i) {
        const QColor color = palette[i].color;
        const QString name = Translations::colorName(QLatin1String(palette[i].id));
        auto *swatch = new DiscButton(color, {}, group);
        swatch->setObjectName(QStringLiteral("colorSwatch%1").arg(i));
        swatch->setToolTip(name);
        swatch->setAccessibleName(name);
        connect(swatch, &QAbstractButton::clicked, this, [this, color] { m_document.chooseColor(color); });
        m_swatches.append(swatch);
        tools->addWidget(swatch);
    }
    group->row()->addLayout(tools);

    m_lineWidths = new SegmentedPicker(EditorDocument::availableLineWidths(), 75, group);
    m_lineWidths->setObjectName(QStringLiteral("lineWidthPicker"));
    for (int i = 0; i < EditorDocument::availableLineWidths().size(); ++i)
        m_lineWidths->segment(i)->setToolTip(
            QStringLiteral("%1: %2 px").arg(Translations::lineWidth()).arg(EditorDocument::availableLineWidths()[i]));
    connect(m_lineWidths, &SegmentedPicker::picked, this, [this](double width) { m_document.chooseLineWidth(width); });
    group->row()->addWidget(m_lineWidths, 0, Qt::AlignVCenter);

    auto *fillLabel = new QLabel(Translations::fill(), group);
    QFont labelFont = fillLabel->font();
    labelFont.setPixelSize(12);
    fillLabel->setFont(labelFont);
    fillLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_fill = new SwitchToggle(group);
    m_fill->setObjectName(QStringLiteral("fillSwitch"));
    m_fill->setAccessibleName(Translations::fill());
    m_fill->setToolTip(Translations::fill());
    fillLabel->setBuddy(m_fill);
    connect(m_fill, &QAbstractButton::clicked, this,
            [this](bool on) { m_document.chooseFill(on, m_solid->isChecked()); });
    // Solid implies a fill: turning it on fills too.
    auto *solidLabel = new QLabel(Translations::solid(), group);
    solidLabel->setFont(labelFont);
    solidLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_solid = new SwitchToggle(group);
    m_solid->setObjectName(QStringLiteral("solidSwitch"));
    m_solid->setAccessibleName(Translations::solid());
    m_solid->setToolTip(Translations::solid());
    solidLabel->setBuddy(m_solid);
    connect(m_solid, &QAbstractButton::clicked, this,
            [this](bool on) { m_document.chooseFill(on || m_fill->isChecked(), on); });
    auto *fill = new QHBoxLayout;
    fill->setSpacing(6);
    fill->addWidget(fillLabel);
    fill->addWidget(m_fill);
    fill->addSpacing(4);
    fill->addWidget(solidLabel);
    fill->addWidget(m_solid);
    group->row()->addLayout(fill);
    return group;
}

void EditorToolbar::refresh()
{
    m_selectBadge->setActive(m_document.drawMode() == DrawMode::selection);
    m_boxBadge->setActive(m_document.drawMode() == DrawMode::rectangle);
    // The tool a right drag draws with, the blur too.
    const Tool &current = m_document.currentTool();
    m_blur->setChosen(&current == &blurTool());
    for (const auto &[tool, disc] : std::as_const(m_toolDiscs))
        disc->setChosen(tool == &current);
    m_boxBadge->setContent(toolIcon(current), Translations::toolName(current.id()));
    // The style of what a choice changes: the picked mark, else what is
    // drawn next.
    const RectangleStyle style = m_document.pickedTool() ? m_document.pickedMark().style : m_document.rectangleStyle();
    for (DiscButton *swatch : std::as_const(m_swatches))
        swatch->setChosen(!style.isBlur && swatch->color() == style.color);
    m_lineWidths->setValue(style.lineWidth);
    m_fill->setChecked(style.filled);
    m_solid->setChecked(style.filled && style.solid);

    const QRectF selection = m_document.selectionRect();
    const bool showSize = geometry::hasArea(selection);
    if (showSize) {
        // Whole pixels, truncated: 99.9 shows as 99. Where it is, from the
        // top left, as people read screens.
        m_sizeReadout->setText(sizeAndPlace(selection, m_document.currentImage().height()));
    }
    m_sizeReadout->setVisible(showSize);
    m_zoomReadout->setText(QStringLiteral("%1 %").arg(qRound(m_editor.canvasView()->zoomPercent())));
}

void EditorToolbar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

} // namespace pintora
