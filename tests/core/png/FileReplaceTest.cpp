#include "core/png/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pintora {
namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

mode_t modeOf(const QString &path)
{
    struct stat status {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void write(const QString &path, const QByteArray &bytes, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
}

// Whole or not at all, and nothing of its own left beside the file.
TEST(FileReplace, WritesWholeFilesOrFailsWithTheSystemsReason)
{
    QTemporaryDir folder;
    const QString dir = folder.path();
    const mode_t mask = ::umask(022);
    write(dir + "/old.png", "old", 0600);
    QDir().mkdir(dir + "/folder.png");
    ::symlink("old.png", QFile::encodeName(dir + "/link.png").constData());
    const struct {
        const char *what;
        QString path;
        QString reason; // empty: written
        QString changed; // the file whose bytes are then the new ones
        mode_t mode;
    } cases[] = {
        {"a new file, as the umask lets it", dir + "/new.png", {}, dir + "/new.png", 0644},
        {"a file replaced keeps its permissions", dir + "/old.png", {}, dir + "/old.png", 0600},
        {"a link is followed to its file", dir + "/link.png", {}, dir + "/old.png", 0600},
        {"a folder", dir + "/folder.png", "Is a directory", {}, 0},
        {"no such folder", dir + "/none/new.png", "No such file or directory", {}, 0},
    };
    for (const auto &c : cases) {
        write(dir + "/old.png", "old", 0600);
        const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        EXPECT_EQ(replaceFile(c.path, "new"), c.reason) << c.what;
        if (c.reason.isEmpty()) {
            EXPECT_EQ(contents(c.changed), "new") << c.what;
            EXPECT_EQ(modeOf(c.changed), c.mode) << c.what;
            EXPECT_TRUE(QFileInfo(dir + "/link.png").isSymLink()) << c.what;
        } else {
            EXPECT_EQ(contents(dir + "/old.png"), "old") << c.what;
            EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before) << c.what;
        }
    }
    ::umask(mask);
}

// A full file system is what a test cannot make for itself:
// tests/e2e/save_failure_test.sh runs this on one.
TEST(FileReplace, DISABLED_OnAFullDiskSaysSoAndKeepsTheOldFile)
{
    const QString dir = qEnvironmentVariable("PINTORA_FULL_FOLDER");
    ASSERT_FALSE(dir.isEmpty());
    const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    const QByteArray old = contents(dir + "/old.png");
    ASSERT_FALSE(old.isEmpty());
    EXPECT_EQ(replaceFile(dir + "/old.png", QByteArray(4 << 20, 'x')), "No space left on device");
    EXPECT_EQ(contents(dir + "/old.png"), old);
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
}

} // namespace
} // namespace pintora
