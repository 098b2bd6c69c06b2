#include "core/Console.h"

#include <QRectF>
#include <QSize>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <unistd.h>

namespace pintora {

using console::formatDouble;

TEST(FormatDouble, PlainDecimalWithAPointBetween1eMinus4And2To53ExponentFormOutside)
{
    const struct {
        double value;
        const char *text;
    } cases[] = {
        {100, "100.0"},
        {0.1, "0.1"},
        {80.25, "80.25"},
        {0, "0.0"},
        {-0.0, "-0.0"},
        {-3.5, "-3.5"},
        {1.0 / 3.0, "0.3333333333333333"},
        {123456789.125, "123456789.125"},
        {1e15, "1000000000000000.0"},
        {1e-4, "0.0001"},
        {-1e-4, "-0.0001"},
        {1e-5, "1e-05"},
        {std::nextafter(1e-4, 0.0), "9.999999999999999e-05"},
        {9007199254740992.0, "9007199254740992.0"}, // 2^53
        {9007199254740994.0, "9.007199254740994e+15"},
        {1e16, "1e+16"},
        {-1.5e20, "-1.5e+20"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatDouble(c.value), c.text);
}

TEST(FormatDouble, ReadsBackAsTheSameDouble)
{
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> exponent(-12, 18);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const std::string text = formatDouble(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        const bool exponentForm = text.find('e') != std::string::npos;
        if (!exponentForm) {
            ASSERT_NE(text.find('.'), std::string::npos) << text;
        }
        const double magnitude = std::fabs(value);
        ASSERT_EQ(exponentForm, magnitude < 1e-4 || magnitude > 9007199254740992.0) << text;
    }
}

TEST(FormatRect, PrintsFourNumbersInParentheses)
{
    EXPECT_EQ(console::formatRect(100, 50, 200, 150), "(100.0, 50.0, 200.0, 150.0)");
    EXPECT_EQ(console::formatRect(QRectF(12.0, 30.5, 100.0, 80.25)), "(12.0, 30.5, 100.0, 80.25)");
    EXPECT_EQ(console::formatRect(QRectF()), "(0.0, 0.0, 0.0, 0.0)");
}

TEST(FormatPixelSize, JoinsWithTheMultiplicationSign)
{
    EXPECT_EQ(console::formatPixelSize(640, 480), "640\u00d7480");
    EXPECT_EQ(console::formatPixelSize(QSize(1, 2)), "1×2");
}

TEST(ConsoleSink, DefaultWritesFlushedUtf8LinesToStandardOutput)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    ASSERT_GE(savedStdout, 0);
    ASSERT_GE(dup2(file.handle(), STDOUT_FILENO), 0);

    console::writeLine("✅ App launched successfully!");
    console::writeLine(QStringLiteral("ℹ️ Same image, just showing window"));
    // Read before anything else flushes: the lines must already be there.
    QFile written(file.fileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();

    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    EXPECT_EQ(bytes.toStdString(), "✅ App launched successfully!\nℹ️ Same image, just showing window\n");
}

TEST(ConsoleSink, AStandardOutputWithoutReaderLosesLinesNotTheProcess)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]); // the reader is gone, as after `pintora | head -n 1`
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    dup2(ends[1], STDOUT_FILENO);
    console::surviveClosedOutput();
    console::writeLine("✅ App launched successfully!"); // SIGPIPE would end the test run here
    console::writeLine("ℹ️ New image detected");
    const bool failed = std::ferror(stdout);
    std::clearerr(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    close(ends[1]);
    EXPECT_TRUE(failed);
}

} // namespace pintora
