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
