#include "app/Preferences.h"

#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringTokenizer>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pintora {
namespace {

// A file of choices is a few hundred bytes: anything much larger is not ours.
constexpr qint64 largestFile = 64 * 1024;

const QStringList fills{QStringLiteral("none"), QStringLiteral("tint"), QStringLiteral("solid")};
const QStringList formats{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("webp")};

QString fillOf(const RectangleStyle &style)
{
    return !style.filled ? fills[0] : style.solid ? fills[2] : fills[1];
}

// The text under `key`, which must be one; absent: empty.
bool textOf(const QSettings &settings, const char *key, QString *text)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid())
        return true;
    if (value.typeId() != QMetaType::QString)
        return false;
    *text = value.toString();
    return true;
}

// Text of "[section]" and "key=value" lines, as we write it: Qt's reader
// takes nearly anything, a binary file too.
bool looksLikeSettings(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        return false;
    for (QStringView line : QStringTokenizer(text, u'\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(u';') && !line.startsWith(u'#')
            && !(line.startsWith(u'[') && line.endsWith(u']')) && !line.contains(u'='))
            return false;
    }
    return true;
}

} // namespace

Choices readChoices(const QString &path, QString *problem)
{
    const auto refuse = [&](const QString &why) {
        *problem = path + QStringLiteral(": ") + why;
        return Choices{};
    };
    *problem = QString();
    QFile file(path);
    if (!file.exists())
        return {};
    // Opened first, so that neither a FIFO nor a device can hold the launch.
    if (!QFileInfo(path).isFile())
        return refuse(QStringLiteral("not a regular file"));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return refuse(errno ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
    if (file.size() > largestFile)
        return refuse(QStringLiteral("too large"));
    if (!looksLikeSettings(file.read(largestFile + 1)))
        return refuse(QStringLiteral("not a settings file"));
    file.close();

    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return refuse(QStringLiteral("not a settings file"));
    Choices read;
    QString width;
    for (const auto &[key, field] : {std::pair{"tool", &read.tool},
                                     {"color", &read.color},
                                     {"width", &width},
                                     {"fill", &read.fill},
                                     {"saveFolder", &read.saveFolder},
                                     {"saveFormat", &read.saveFormat}})
        if (!textOf(settings, key, field))
            return refuse(QStringLiteral("%1 is not a text").arg(QLatin1String(key)));
    if (!read.tool.isEmpty() && !toolById(read.tool))
        return refuse(QStringLiteral("no tool is called ") + read.tool.left(40));
    if (!read.color.isEmpty() && !EditorDocument::availableColors().contains(QColor::fromString(read.color.left(16))))
        return refuse(QStringLiteral("the colour is not one of the swatches"));
    if (!width.isEmpty()) {
        bool number = false;
        read.width = width.toDouble(&number);
        if (!number || !EditorDocument::availableLineWidths().contains(read.width))
            return refuse(QStringLiteral("the width is not one of the widths"));
    }
    if (!read.fill.isEmpty() && !fills.contains(read.fill))
        return refuse(QStringLiteral("the fill is not none, tint or solid"));
    if (!read.saveFolder.isEmpty() && (!QDir::isAbsolutePath(read.saveFolder) || read.saveFolder.size() > 4096))
        return refuse(QStringLiteral("the save folder is not an absolute path"));
    if (!read.saveFormat.isEmpty() && !formats.contains(read.saveFormat))
        return refuse(QStringLiteral("the save format is not png, jpg or webp"));
    return read;
}

Preferences::Preferences(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path.isEmpty() ? defaultPath() : path)
{
    QString problem;
    m_choices = readChoices(m_path, &problem);
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
        document.chooseFill(m_choices.fill != fills[0], m_choices.fill == fills[2]);
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
