#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <tuple>

#include "engine/RBJBiquad.h"

namespace
{
constexpr double sr = 44100.0;

// |H(e^jw)| of the stored (normalised) coefficients.
double magnitudeAt (const RBJBiquad& f, double frequency)
{
    const auto z1 = std::polar (1.0, -2.0 * M_PI * frequency / sr), z2 = z1 * z1;
    return std::abs (((double) f.b0 + (double) f.b1 * z1 + (double) f.b2 * z2) / (1.0 + (double) f.a1 * z1 + (double) f.a2 * z2));
}
} // namespace

TEST (RBJBiquad, KnownLowAndHighPassCoefficientsAndARedesignKeepsTheHistory)
{
    // type, frequency, then b0 b1 b2 1 a1 a2 as returned
    const std::tuple<int, double, std::vector<double>> cases[] = {
        { 0, 1000.0, { 0.00460399, 0.00920799, 0.00460399, 1.0, -1.79909, 0.817511 } },
        { 1, 20.0, { 0.997987, -1.99597, 0.997987, 1.0, -1.99597, 0.995978 } },
        { 0, 20000.0, { 0.813243, 1.62649, 0.813243, 1.0, 1.59130, 0.661673 } },
    };
    RBJBiquad f {};
    for (const auto& [type, frequency, b] : cases)
    {
        const auto history = std::make_tuple (f.x1, f.x2, f.y1, f.y2);
        const auto v = f.calc_filter_coeffs (type, frequency, sr, 0.7071, 0.0, false);
        EXPECT_EQ (history, std::make_tuple (f.x1, f.x2, f.y1, f.y2));
        ASSERT_EQ (v.size(), 6u);
        for (size_t i = 0; i < 6; ++i)
            EXPECT_NEAR (v[i], b[i], std::abs (b[i]) * 1e-5) << frequency << " " << i;
        f.process (0.5f);
    }
}

TEST (RBJBiquad, ThePeakAndTheShelvesHaveTheCookbookResponse)
{
    const double f0 = 2000.0, boost = std::pow (10.0, 9.0 / 20.0); // 9 dB
    // type, gain, frequency, then the magnitude
    const std::tuple<int, double, double, double> cases[] = {
        { 6, 9.0, f0, boost }, { 6, -9.0, f0, 1.0 / boost }, { 6, 9.0, 20.0, 1.0 }, { 6, 0.0, 5000.0, 1.0 },
        { 7, 9.0, 5.0, boost }, { 7, 9.0, f0, std::sqrt (boost) }, { 8, 9.0, sr / 2.0 - 1.0, boost }, { 8, 9.0, 5.0, 1.0 },
        // between its plateaus the low shelf follows its analog prototype through the bilinear transform
        { 7, 9.0, 1000.0, 2.63083 }, { 7, 9.0, 3000.0, 1.20016 } };
    for (auto [type, gain, frequency, magnitude] : cases)
    {
        RBJBiquad f {};
        f.calc_filter_coeffs (type, f0, sr, 0.7071, gain, false);
        EXPECT_NEAR (magnitudeAt (f, frequency), magnitude, 3e-3 * magnitude) << type << " " << frequency;
    }
}

namespace
{
// b0 b1 b2 1 a1 a2 as returned; the coefficients are rounded once, so only libm's last bit may differ.
void expectCoefficients (const std::vector<float>& v, const std::vector<float>& expected, int type)
{
    ASSERT_EQ (v.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ (v[i], expected[i]) << "type " << type << ", coefficient " << i;
}
} // namespace

// Expected values: the cookbook formulas evaluated in double with python3 apart from this code, each quotient rounded to float.
TEST (RBJBiquad, BandPassNotchAndAllPassHaveTheCookbookCoefficientsWithQOrBandwidth)
{
    // type, frequency, sample rate, q (octaves when the last flag is set), gain (ignored here), bandwidth, coefficients
    const std::tuple<int, double, double, double, double, bool, std::vector<float>> cases[] = {
        { 2, 1000, 44100, 2.5, 0, false, { 0.0690365955f, 0, -0.0690365955f, 1, -1.92506528f, 0.944770694f } },
        { 2, 7500, 48000, 0.6, 6, false, { 0.245576784f, 0, -0.245576784f, 1, -0.656356633f, 0.18141073f } },
        { 2, 3000, 44100, 1.5, 0, true, { 0.168098941f, 0, -0.168098941f, 1, -1.47613442f, 0.62206322f } },
        { 3, 1000, 44100, 2.5, 0, false, { 0.0276146401f, 0, -0.0276146401f, 1, -1.92506528f, 0.944770694f } },
        { 3, 7500, 48000, 0.6, 6, false, { 0.409294635f, 0, -0.409294635f, 1, -0.656356633f, 0.18141073f } },
        { 3, 3000, 44100, 1.5, 0, true, { 0.188968405f, 0, -0.188968405f, 1, -1.47613442f, 0.62206322f } },
        { 4, 1000, 44100, 2.5, 0, false, { 0.972385347f, -1.92506528f, 0.972385347f, 1, -1.92506528f, 0.944770694f } },
        { 4, 7500, 48000, 0.6, 6, false, { 0.590705395f, -0.656356633f, 0.590705395f, 1, -0.656356633f, 0.18141073f } },
        { 4, 3000, 44100, 1.5, 0, true, { 0.81103158f, -1.47613442f, 0.81103158f, 1, -1.47613442f, 0.62206322f } },
        { 5, 1000, 44100, 2.5, 0, false, { 0.944770694f, -1.92506528f, 1, 1, -1.92506528f, 0.944770694f } },
        { 5, 7500, 48000, 0.6, 6, false, { 0.18141073f, -0.656356633f, 1, 1, -0.656356633f, 0.18141073f } },
        { 5, 3000, 44100, 1.5, 0, true, { 0.62206322f, -1.47613442f, 1, 1, -1.47613442f, 0.62206322f } },
    };
    for (const auto& [type, frequency, rate, q, gain, bandwidth, expected] : cases)
        expectCoefficients (RBJBiquad {}.calc_filter_coeffs (type, frequency, rate, q, gain, bandwidth), expected, type);
}

// Same source as above, the six raw shelf and peak coefficients rounded to float before the division.
TEST (RBJBiquad, TheBandwidthOptionWidensThePeakButTheShelvesKeepTheirQForm)
{
    // type, frequency, sample rate, octaves, gain, coefficients
    const std::tuple<int, double, double, double, double, std::vector<float>> cases[] = {
        { 6, 2000, 44100, 1.5, 9, { 1.15377545f, -1.75703669f, 0.677090347f, 1, -1.75703669f, 0.8308658f } },
        { 7, 2000, 44100, 0.8, 9, { 1.10101068f, -1.67810786f, 0.697186947f, 1, -1.71684802f, 0.759457469f } },
        { 8, 5000, 48000, 1.2, -6, { 0.569316268f, -0.635972738f, 0.313933611f, 1, -1.3919853f, 0.639262378f } },
    };
    for (const auto& [type, frequency, rate, octaves, gain, expected] : cases)
        expectCoefficients (RBJBiquad {}.calc_filter_coeffs (type, frequency, rate, octaves, gain, true), expected, type);
}
