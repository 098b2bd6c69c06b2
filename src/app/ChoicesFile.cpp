#include "app/ChoicesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QStringTokenizer>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pintora {
namespace {

// A file of choices is a few hundred bytes: anything much larger is not ours.
constexpr qint64 largestFile = 64 * 1024;

const QStringList formats{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("webp")};

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

const QStringList &fillNames()
{
    static const QStringList names{QStringLiteral("none"), QStringLiteral("tint"), QStringLiteral("solid")};
    return names;
}

Choices readChoices(const QString &path, const Offered &offered, QString *problem)
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
    if (!read.tool.isEmpty() && !offered.tools.contains(read.tool))
        return refuse(QStringLiteral("no tool is called ") + read.tool.left(40));
    if (!read.color.isEmpty() && !offered.colors.contains(QColor::fromString(read.color.left(16))))
        return refuse(QStringLiteral("the colour is not one of the swatches"));
    if (!width.isEmpty()) {
        bool number = false;
        read.width = width.toDouble(&number);
        if (!number || !offered.widths.contains(read.width))
            return refuse(QStringLiteral("the width is not one of the widths"));
    }
    if (!read.fill.isEmpty() && !fillNames().contains(read.fill))
        return refuse(QStringLiteral("the fill is not none, tint or solid"));
    if (!read.saveFolder.isEmpty() && (!QDir::isAbsolutePath(read.saveFolder) || read.saveFolder.size() > 4096))
        return refuse(QStringLiteral("the save folder is not an absolute path"));
    if (!read.saveFormat.isEmpty() && !formats.contains(read.saveFormat))
        return refuse(QStringLiteral("the save format is not png, jpg or webp"));
    return read;
}

} // namespace pintora
