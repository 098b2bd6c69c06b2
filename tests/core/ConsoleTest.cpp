#include "core/Console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace pintora {

using console::formatDouble;

TEST(FormatDouble, PlainDecimalWithAPointBetween1eMinus4And2To53ExponentFormOutside)
{
    // clang-format off
    const struct {
        double value;
        const char *text;
    } cases[] = {
        // The random round trip below covers ordinary values; these are the edges.
        {100, "100.0"},
        {0, "0.0"},
        {-0.0, "-0.0"},
        {1e-4, "0.0001"},
        {std::nextafter(1e-4, 0.0), "9.999999999999999e-05"},
        {9007199254740992.0, "9007199254740992.0"}, // 2^53
        {9007199254740994.0, "9.007199254740994e+15"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    // clang-format on
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

} // namespace pintora

namespace pintora {

// A reader that stops reading costs lines, never the program: the writer
// finishes, and the reader is told how many lines it missed.
TEST(ConsoleOutput, AStalledReaderCostsLinesNotTheProgram)
{
    int output[2], written[2], go[2];
    ASSERT_EQ(pipe(output), 0);
    ASSERT_EQ(pipe(written), 0);
    ASSERT_EQ(pipe(go), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        dup2(output[1], STDOUT_FILENO);
        const std::string line(99, 'x');
        for (int i = 0; i < 20000; ++i) // 2 MB: thirty times what a pipe holds
            console::writeLine(line);
        (void)!write(written[1], "w", 1);
        char next;
        (void)!read(go[0], &next, 1);
        console::writeLine("last");
        _exit(0);
    }
    ::close(output[1]);
    pollfd done{written[0], POLLIN, 0};
    const bool finished = poll(&done, 1, 30000) == 1;
    if (!finished)
        kill(writer, SIGKILL);
    ASSERT_TRUE(finished) << "the console blocked on a full pipe";
    std::string text;
    char buffer[65536];
    fcntl(output[0], F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    (void)!write(go[1], "g", 1);
    waitpid(writer, nullptr, 0);
    fcntl(output[0], F_SETFL, 0);
    std::string rest;
    for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;)
        rest.append(buffer, std::size_t(n));
    const std::size_t kept = std::size_t(std::count(text.begin(), text.end(), '\n'));
    EXPECT_GT(kept, 100u);
    EXPECT_EQ(text.size(), kept * 100) << "only whole lines";
    EXPECT_EQ(rest,
              "⚠️ " + std::to_string(20000 - kept) + " console lines dropped: the output was not read\nlast\n");
}

} // namespace pintora
