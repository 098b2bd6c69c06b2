#include "ConsoleCapture.h"
#include "app/Preferences.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pintora {
namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

bool isDefault(const EditorDocument &document)
{
    const EditorDocument fresh;
    return document.rectangleStyle() == fresh.rectangleStyle() && &document.shapeTool() == &fresh.shapeTool();
}

} // namespace

// Choices made in one editor reach every later one, and the next run's.
TEST(Preferences, TheLastChoicesReachTheNextEditorAndTheNextRun)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pintora/pintora.conf"));
    ConsoleCapture console;
    {
        Preferences first(path);
        EditorDocument document;
        first.applyTo(document);
        EXPECT_TRUE(isDefault(document)); // nothing chosen yet: the defaults
        document.chooseTool(ellipseTool());
        document.chooseColor(EditorDocument::availableColors().at(2));
        document.chooseLineWidth(EditorDocument::availableLineWidths().last());
        document.chooseFill(true, true);
        first.setSaveFolder(folder.path());
        first.setSaveFormat(QStringLiteral("jpg"));

        EditorDocument next; // in the same run
        first.applyTo(next);
        EXPECT_EQ(next.rectangleStyle(), document.rectangleStyle());
    }
    Preferences again(path); // the next run
    EditorDocument document;
    again.applyTo(document);
    EXPECT_EQ(&document.shapeTool(), &ellipseTool());
    EXPECT_EQ(document.rectangleStyle().color, EditorDocument::availableColors().at(2));
    EXPECT_EQ(document.rectangleStyle().lineWidth, EditorDocument::availableLineWidths().last());
    EXPECT_TRUE(document.rectangleStyle().filled && document.rectangleStyle().solid);
    EXPECT_EQ(again.choices().saveFolder, folder.path());
    EXPECT_EQ(again.choices().saveFormat, QStringLiteral("jpg"));
    // The blur, chosen last, is the tool too.
    document.chooseBlur();
    Preferences blurred(path);
    EditorDocument third;
    blurred.applyTo(third);
    EXPECT_TRUE(third.rectangleStyle().isBlur);
    EXPECT_TRUE(console.lines().empty());
}

// A file that cannot be used gives the defaults and one warning, never a
// wait, and the next choice writes a sound one.
TEST(Preferences, AFileThatCannotBeUsedGivesTheDefaultsAndOneWarning)
{
    const struct {
        const char *what;
        QByteArray content; // empty: see `make`
        void (*make)(const QString &path);
        const char *reason;
    } cases[] = {
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0\xff\xfe[[[=\n", 16), nullptr, "not a settings file"},
        {"a width that is text", "[General]\nwidth=wide\n", nullptr, "the width is not one of the widths"},
        {"a width not offered", "[General]\nwidth=7\n", nullptr, "the width is not one of the widths"},
        {"a list for a tool", "[General]\ntool=box, arrow\n", nullptr, "tool is not a text"},
        {"a tool that is none", "[General]\ntool=laser\n", nullptr, "no tool is called laser"},
        {"a colour not a swatch", "[General]\ncolor=#123456\n", nullptr, "the colour is not one of the swatches"},
        {"a fill of another kind", "[General]\nfill=opaque\n", nullptr, "the fill is not none, tint or solid"},
        {"a relative save folder", "[General]\nsaveFolder=../x\n", nullptr, "the save folder is not an absolute path"},
        {"a format not written", "[General]\nsaveFormat=gif\n", nullptr, "the save format is not png, jpg or webp"},
        {"a variant of another type", "[General]\nwidth=@Variant(\\0\\0\\0\\x87\\x40\\xa0\\0\\0)\n", nullptr,
         "width is not a text"},
        {"too large", QByteArray(70000, '#'), nullptr, "too large"},
        {"a folder", {}, [](const QString &path) { QDir().mkpath(path); }, "not a regular file"},
        {"a FIFO",
         {},
         [](const QString &path) { mkfifo(QFile::encodeName(path).constData(), 0600); },
         "not a regular file"},
    };
    for (const auto &c : cases) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pintora.conf"));
        if (c.make)
            c.make(path);
        else
            write(path, c.content);
        ConsoleCapture console;
        alarm(20); // a FIFO opened to be read would wait for a writer
        Preferences preferences(path);
        alarm(0);
        EditorDocument document;
        preferences.applyTo(document);
        EXPECT_TRUE(isDefault(document)) << c.what;
        EXPECT_TRUE(preferences.choices().saveFolder.isEmpty()) << c.what;
        ASSERT_EQ(console.lines().size(), 1u) << c.what;
        EXPECT_EQ(console.lines().front(),
                  "⚠️ Settings not read, defaults used: " + path.toStdString() + ": " + c.reason)
            << c.what;
        if (c.make)
            continue;
        document.chooseLineWidth(EditorDocument::availableLineWidths().first());
        QString problem;
        const Choices now = readChoices(path, toolbarOffer(), &problem);
        EXPECT_TRUE(problem.isEmpty()) << c.what << ": " << problem.toStdString();
        EXPECT_EQ(now.width, EditorDocument::availableLineWidths().first()) << c.what;
    }
}

// A file its reader may not read: the reason is the system's. Checked as a
// user without rights over it, which root is not.
TEST(Preferences, AFileThatMayNotBeReadSaysSo)
{
    QTemporaryDir folder;
    ASSERT_EQ(chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    const QString path = folder.filePath(QStringLiteral("pintora.conf"));
    write(path, "[General]\nwidth=5\n");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // only the reading, with nothing shared that a lock may hold
        if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        QString problem;
        const Choices read = readChoices(path, toolbarOffer(), &problem);
        _exit(problem == path + QStringLiteral(": Permission denied") && read.width == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace pintora
