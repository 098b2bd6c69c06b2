#include "app/Preferences.h"

#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"

#include <QColor>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace pintora {
namespace {

QString fillOf(const RectangleStyle &style)
{
    const QStringList &fills = fillNames();
    return !style.filled ? fills[0] : style.solid ? fills[2] : fills[1];
}

} // namespace

Offered toolbarOffer()
{
    Offered offer;
    for (const Tool *tool : allTools())
        offer.tools.append(tool->id());
    offer.colors = EditorDocument::availableColors();
    offer.widths = EditorDocument::availableLineWidths();
    return offer;
}

Preferences::Preferences(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path.isEmpty() ? defaultPath() : path)
{
    QString problem;
    m_choices = readChoices(m_path, toolbarOffer(), &problem);
    if (!QFileInfo::exists(m_path) || QFileInfo(m_path).isFile())
        m_settings.emplace(m_path, QSettings::IniFormat);
    if (problem.isEmpty())
        return;
    console::writeLine(QStringLiteral("⚠️ Settings not read, defaults used: ") + problem);
    m_unsound = true;
}

QString Preferences::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/pintora/pintora.conf");
}

void Preferences::applyTo(EditorDocument &document)
{
    if (!m_choices.color.isEmpty())
        document.chooseColor(QColor::fromString(m_choices.color));
    if (m_choices.width > 0)
        document.chooseLineWidth(m_choices.width);
    if (!m_choices.fill.isEmpty())
        document.chooseFill(m_choices.fill != fillNames()[0], m_choices.fill == fillNames()[2]);
    if (const Tool *tool = toolById(m_choices.tool))
        document.chooseTool(*tool);
    connect(&document, &EditorDocument::styleChanged, this, [this, &document] { remember(document); });
}

void Preferences::remember(const EditorDocument &document)
{
    const RectangleStyle &style = document.rectangleStyle();
    store("tool", m_choices.tool, style.isBlur ? blurTool().id() : document.shapeTool().id());
    store("color", m_choices.color, style.color.name());
    QString width = m_choices.width > 0 ? QString::number(m_choices.width) : QString();
    store("width", width, QString::number(style.lineWidth));
    m_choices.width = style.lineWidth;
    store("fill", m_choices.fill, fillOf(style));
}

void Preferences::setSaveFolder(const QString &folder)
{
    store("saveFolder", m_choices.saveFolder, folder);
}

void Preferences::setSaveFormat(const QString &format)
{
    store("saveFormat", m_choices.saveFormat, format);
}

void Preferences::store(const char *key, QString &field, const QString &value)
{
    if (field == value)
        return;
    field = value;
    if (m_settings) {
        if (std::exchange(m_unsound, false))
            m_settings->clear();
        m_settings->setValue(QLatin1String(key), value);
        m_settings->sync();
    }
    if ((m_settings && m_settings->status() == QSettings::NoError) || std::exchange(m_writeFailed, true))
        return;
    console::writeLine(QStringLiteral("⚠️ Settings not saved: ") + m_path);
}

} // namespace pintora
