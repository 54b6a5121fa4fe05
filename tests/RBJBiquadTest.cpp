#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
    const double w = 2.0 * M_PI * frequency / sr;
    const std::complex<double> z1 = std::polar (1.0, -w), z2 = std::polar (1.0, -2.0 * w);
    return std::abs (((double) f.b0 + (double) f.b1 * z1 + (double) f.b2 * z2) / (1.0 + (double) f.a1 * z1 + (double) f.a2 * z2));
}

RBJBiquad designed (int type, double f0, double gainDb = 0.0, double q = 0.7071, bool bandwidth = false)
{
    RBJBiquad f {};
    f.calc_filter_coeffs (type, f0, sr, q, gainDb, bandwidth);
    return f;
}
} // namespace

TEST (RBJBiquad, KnownLowAndHighPassCoefficients)
{
    // type, frequency, then b0 b1 b2 a1 a2
    const std::pair<std::pair<int, double>, std::array<double, 5>> cases[] = {
        { { 0, 1000.0 }, { 0.00460399, 0.00920799, 0.00460399, -1.79909, 0.817511 } },
        { { 1, 20.0 }, { 0.997987, -1.99597, 0.997987, -1.99597, 0.995978 } },
        { { 0, 20000.0 }, { 0.813243, 1.62649, 0.813243, 1.59130, 0.661673 } },
    };
    for (const auto& [design, b] : cases)
    {
        RBJBiquad f {};
        const auto v = f.calc_filter_coeffs (design.first, design.second, sr, 0.7071, 0.0, false);
        const std::vector<float> expected { f.b0, f.b1, f.b2, 1.0f, f.a1, f.a2 };
        EXPECT_EQ (v, expected);
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR (v[(size_t) (i < 3 ? i : i + 1)], b[(size_t) i], std::abs (b[(size_t) i]) * 1e-5) << design.second << " " << i;
    }
}

TEST (RBJBiquad, EachTypeHasTheCookbookResponse)
{
    const double f0 = 2000.0, boost = std::pow (10.0, 9.0 / 20.0); // 9 dB
    struct Case { RBJBiquad filter; double frequency, magnitude, tolerance; };
    const Case cases[] = {
        { designed (0, f0), f0, 0.7071, 1e-3 },          { designed (0, f0), 100.0, 1.0, 1e-3 },
        { designed (1, f0), f0, 0.7071, 1e-3 },          { designed (1, f0), 10.0, 0.0, 1e-3 },
        { designed (2, f0, 0.0, 4.0), f0, 4.0, 1e-3 },   { designed (3, f0, 0.0, 4.0), f0, 1.0, 1e-4 },
        { designed (3, f0, 0.0, 4.0), 200.0, 0.0, 0.05 }, { designed (4, f0), f0, 0.0, 1e-3 },
        { designed (4, f0), 50.0, 1.0, 1e-3 },           { designed (5, f0), 7000.0, 1.0, 1e-4 },
        { designed (6, f0, 9.0), f0, boost, 1e-3 },      { designed (6, f0, -9.0), f0, 1.0 / boost, 1e-3 },
        { designed (6, f0, 9.0), 20.0, 1.0, 1e-3 },      { designed (6, f0, 0.0), 5000.0, 1.0, 1e-5 },
        { designed (7, f0, 9.0), 5.0, boost, 1e-3 },     { designed (7, f0, 9.0), 20000.0, 1.0, 1e-2 },
        { designed (7, f0, 9.0), f0, std::sqrt (boost), 3e-3 },
        { designed (8, f0, 9.0), sr / 2.0 - 1.0, boost, 1e-3 }, { designed (8, f0, 9.0), 5.0, 1.0, 1e-3 },
        { designed (8, f0, 9.0), f0, std::sqrt (boost), 3e-3 },
        // One octave of bandwidth: -3 dB half an octave above the centre.
        { designed (3, 1000.0, 0.0, 1.0, true), 1000.0 * std::sqrt (2.0), 0.7071, 0.01 },
    };
    for (size_t i = 0; i < std::size (cases); ++i)
        EXPECT_NEAR (magnitudeAt (cases[i].filter, cases[i].frequency), cases[i].magnitude, cases[i].tolerance) << "case " << i;
}

// The cookbook's analog low shelf, through the bilinear transform that maps its corner to f0.
TEST (RBJBiquad, TheLowShelfFollowsItsAnalogPrototypeAcrossTheBand)
{
    const double f0 = 2000.0, A = std::pow (10.0, 9.0 / 40.0), q = 0.7071;
    for (double f : { 250.0, 1000.0, 3000.0, 8000.0 })
    {
        const std::complex<double> s (0.0, std::tan (M_PI * f / sr) / std::tan (M_PI * f0 / sr));
        const auto analog = std::abs (A * (s * s + std::sqrt (A) / q * s + A) / (A * s * s + std::sqrt (A) / q * s + 1.0));
        EXPECT_NEAR (magnitudeAt (designed (7, f0, 9.0, q), f), analog, 1e-4) << f;
    }
}

TEST (RBJBiquad, TheShelfIgnoresTheBandwidthOptionAndThePeakDoesNot)
{
    EXPECT_EQ (designed (7, 1000.0, 6.0, 1.0, false).b0, designed (7, 1000.0, 6.0, 1.0, true).b0);
    EXPECT_NE (designed (6, 1000.0, 6.0, 1.0, false).b0, designed (6, 1000.0, 6.0, 1.0, true).b0);
}

TEST (RBJBiquad, ASineComesOutAtTheDesignedMagnitude)
{
    for (auto [type, frequency] : { std::pair { 0, 3000.0 }, std::pair { 1, 300.0 }, std::pair { 6, 1500.0 } })
    {
        auto f = designed (type, 1000.0, 9.0);
        double peak = 0.0;
        for (int i = 0; i < 8820; ++i)
        {
            const float y = f.process ((float) std::sin (2.0 * M_PI * frequency * i / sr));
            if (i >= 4410)
                peak = std::max (peak, (double) std::abs (y));
        }
        EXPECT_NEAR (peak, magnitudeAt (f, frequency), 2e-3) << type;
    }
}

TEST (RBJBiquad, ANewFilterStartsAtRestAndARedesignKeepsItsHistory)
{
    RBJBiquad f {};
    f.calc_filter_coeffs (0, 1000.0, sr, 0.7071, 0.0, false);
    EXPECT_FLOAT_EQ (f.process (1.0f), f.b0);
    f.process (0.5f);

    const auto history = std::make_tuple (f.x1, f.x2, f.y1, f.y2);
    f.calc_filter_coeffs (1, 5000.0, sr, 0.7071, 0.0, false);
    EXPECT_EQ (history, std::make_tuple (f.x1, f.x2, f.y1, f.y2));
}
