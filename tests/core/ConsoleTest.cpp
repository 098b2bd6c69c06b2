#include "core/Console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

namespace pintora {

using console::formatDouble;

TEST(FormatDouble, PlainDecimalWithAPointBetween1eMinus4And2To53ExponentFormOutside)
{
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
