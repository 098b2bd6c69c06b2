// On demand: Copy Text's accuracy and time on generated screenshot-like
// images, beside the tesseract command on the same images in the same run.
//   ocr_accuracy [OUTPUT_FOLDER]
// Accuracy: characters right against the text drawn (one minus the edit
// distance over the length, spaces and blank lines evened out), per font,
// size, look and screen scale; ours as built, ours without preparation
// (no scaling up, no turning over), and the command's. Time: a 1920 x 1080
// screen of text, ours against the command, best of three.
#include "core/text/TextRecognition.h"

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace pintora;

namespace {

const QStringList sample{
    QStringLiteral("error: cannot open shared object file: No such file or directory"),
    QStringLiteral("Invoice 2026-0412, total 1,284.50 EUR, due 14 December"),
    QStringLiteral("https://example.org/issues/4412#comment-9"),
    QStringLiteral("$ cmake -S . -B build -G Ninja && ninja -C build"),
    QStringLiteral("The quick brown fox jumps over the lazy dog (0123456789)."),
    QStringLiteral("user@example.com wrote: please restart the server at 10:45"),
};

QImage render(const QStringList &lines, const QString &family, int pixels, bool dark, int width = 0, int height = 0)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setHintingPreference(QFont::PreferFullHinting);
    const int step = pixels * 3 / 2;
    QImage image(width ? width : pixels * 42, height ? height : step * int(lines.size()) + pixels * 2,
                 QImage::Format_RGB32);
    image.fill(dark ? QColor(30, 30, 36) : QColor(250, 250, 250));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(dark ? QColor(225, 225, 225) : QColor(25, 25, 25));
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPoint(pixels, pixels + (i + 1) * step - pixels / 3), lines[i]);
    return image;
}

QString evened(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.simplified().isEmpty())
            lines.append(line.simplified());
    return lines.join(QLatin1Char('\n'));
}

double accuracy(const QString &expected, const QString &got)
{
    const QString a = evened(expected), b = evened(got);
    std::vector<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return 100.0 * std::max(0.0, 1.0 - double(row[b.size()]) / a.size());
}

QString command(const QString &file, double *ms)
{
    QElapsedTimer timer;
    timer.start();
    QProcess tesseract;
    tesseract.start(QStringLiteral("tesseract"),
                    {file, QStringLiteral("-"), QStringLiteral("--oem"), QStringLiteral("1")});
    tesseract.waitForFinished(120000);
    if (ms)
        *ms = double(timer.nsecsElapsed()) / 1e6;
    return QString::fromUtf8(tesseract.readAllStandardOutput());
}

QString ours(const QImage &image, const RecognitionOptions &options, double *ms = nullptr)
{
    const std::atomic<bool> go{false};
    QElapsedTimer timer;
    timer.start();
    const RecognizedText read = recognizeText(image, {}, go, options);
    if (ms)
        *ms = double(timer.nsecsElapsed()) / 1e6;
    return read.text;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QString expected = sample.join(QLatin1Char('\n'));
    std::printf("%-16s %4s %-14s %5s %8s %8s %8s\n", "font", "px", "look", "scale", "ours", "raw", "command");
    double worst = 100, worstCommand = 100;
    for (const char *family : {"DejaVu Sans", "DejaVu Sans Mono"})
        for (const int pixels : {11, 14, 17, 20})
            for (const bool dark : {false, true})
                for (const int scale : {1, 2}) {
                    const QImage image = render(sample, QString::fromLatin1(family), pixels * scale, dark);
                    const QString file = QStringLiteral("%1/%2-%3-%4-%5.png")
                                             .arg(folder, QString::fromLatin1(family).remove(QLatin1Char(' ')))
                                             .arg(pixels)
                                             .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"))
                                             .arg(scale);
                    image.save(file);
                    const double mine = accuracy(expected, ours(image, {}));
                    const double raw = accuracy(expected, ours(image, {1, false, 60000}));
                    const double theirs = accuracy(expected, command(file, nullptr));
                    worst = std::min(worst, mine);
                    worstCommand = std::min(worstCommand, theirs);
                    std::printf("%-16s %4d %-14s %5d %7.2f%% %7.2f%% %7.2f%%\n", family, pixels,
                                dark ? "light on dark" : "dark on light", scale, mine, raw, theirs);
                    std::fflush(stdout);
                }
    std::printf("worst: ours %.2f%%, command %.2f%%\n", worst, worstCommand);

    // A 1920 x 1080 screen of 14 px text.
    QStringList page;
    for (int i = 0; i < 44; ++i)
        page.append(sample[i % sample.size()]);
    const QImage screen = render(page, QStringLiteral("DejaVu Sans"), 14, false, 1920, 1080);
    const QString file = folder + QStringLiteral("/screen.png");
    screen.save(file);
    double best = 1e9, bestCommand = 1e9, bestRaw = 1e9;
    QString read, readCommand;
    for (int i = 0; i < 3; ++i) {
        double ms = 0;
        read = ours(screen, {}, &ms);
        best = std::min(best, ms);
        (void)ours(screen, {1, true, 60000}, &ms);
        bestRaw = std::min(bestRaw, ms);
        readCommand = command(file, &ms);
        bestCommand = std::min(bestCommand, ms);
    }
    std::printf("1920x1080 screen: ours %.0f ms (%.2f%%), at scale 1 %.0f ms, command %.0f ms (%.2f%%): %.2fx\n", best,
                accuracy(page.join(QLatin1Char('\n')), read), bestRaw, bestCommand,
                accuracy(page.join(QLatin1Char('\n')), readCommand), best / bestCommand);
    return 0;
}
