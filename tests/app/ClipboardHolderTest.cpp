#include "app/ClipboardHolder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pintora {
namespace {

// A stand-in for wl-copy, made of `body`, in `folder`.
QString holderProgram(const QTemporaryDir &folder, const char *name, const QByteArray &body)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

TEST(ClipboardHolder, HandsTheBytesOverOrSaysWhyNot)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300000, 'x'); // more than a pipe holds
    const QByteArray saves
        = "printf '%s ' \"$@\" > \"$(dirname \"$0\")/arguments\"; cat > \"$(dirname \"$0\")/bytes\"\n";
    const ClipboardImage image{readyPng(png), QStringLiteral("image/png")};

    struct Case {
        const char *what;
        QString program;
        ClipboardImage image;
        QString problem;
    };
    const QString missing = folder.filePath(QStringLiteral("no-such-holder"));
    const Case cases[] = {
        {"taken", holderProgram(folder, "takes", saves), image, {}},
        {"failing", holderProgram(folder, "fails", "cat > /dev/null; exit 3\n"), image,
         holderProgram(folder, "fails", "cat > /dev/null; exit 3\n") + QStringLiteral(" failed with exit code 3")},
        {"not installed", missing, image, missing + QStringLiteral(" is not installed")},
        {"a failed encode", holderProgram(folder, "takes", saves), ClipboardImage{readyPng({}), {}},
         QStringLiteral("the image could not be encoded")},
        {"no image", holderProgram(folder, "takes", saves), ClipboardImage{}, QStringLiteral("no image")},
    };
    for (const Case &test : cases) {
        QFile::remove(folder.filePath(QStringLiteral("bytes")));
        EXPECT_EQ(handClipboardToHolder(test.image, test.program), test.problem) << test.what;
        if (test.problem.isEmpty()) {
            EXPECT_EQ(contentsOf(folder.filePath(QStringLiteral("bytes"))), png) << test.what;
            EXPECT_EQ(contentsOf(folder.filePath(QStringLiteral("arguments"))), "--type image/png ") << test.what;
        }
    }
}

} // namespace pintora
