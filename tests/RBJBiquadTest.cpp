#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "engine/RBJBiquad.h"

namespace
{
constexpr double sr = 44100.0;
constexpr double q = 0.7071;

// |H(e^jw)| of the stored (normalised) coefficients.
double magnitudeAt (const RBJBiquad& f, double frequency, double sampleRate)
{
    const double w = 2.0 * M_PI * frequency / sampleRate;
    const std::complex<double> z1 = std::polar (1.0, -w), z2 = std::polar (1.0, -2.0 * w);
    const auto num = (double) f.b0 + (double) f.b1 * z1 + (double) f.b2 * z2;
    const auto den = 1.0 + (double) f.a1 * z1 + (double) f.a2 * z2;
    return std::abs (num / den);
}

RBJBiquad designed (int type, double f0, double gainDb = 0.0, double qq = q, bool bw = false)
{
    RBJBiquad f {};
    f.calc_filter_coeffs (type, f0, sr, qq, gainDb, bw);
    return f;
}
} // namespace

TEST (RBJBiquad, KnownLowAndHighPassCoefficients)
{
    RBJBiquad lp {};
    const auto v = lp.calc_filter_coeffs (0, 1000.0, sr, q, 0.0, false);
    EXPECT_NEAR (lp.b0, 0.00460399, 1e-8);
    EXPECT_NEAR (lp.b1, 0.00920799, 1e-8);
    EXPECT_NEAR (lp.b2, 0.00460399, 1e-8);
    EXPECT_NEAR (lp.a1, -1.79909, 1e-5);
    EXPECT_NEAR (lp.a2, 0.817511, 1e-6);
    ASSERT_EQ (v.size(), 6u);
    EXPECT_EQ (v, (std::vector<float> { lp.b0, lp.b1, lp.b2, 1.0f, lp.a1, lp.a2 }));

    const auto hp = designed (1, 20.0);
    EXPECT_NEAR (hp.b0, 0.997987, 1e-6);
    EXPECT_NEAR (hp.b1, -1.99597, 1e-5);
    EXPECT_NEAR (hp.b2, 0.997987, 1e-6);
    EXPECT_NEAR (hp.a1, -1.99597, 1e-5);
    EXPECT_NEAR (hp.a2, 0.995978, 1e-6);

    const auto top = designed (0, 20000.0);
    EXPECT_NEAR (top.b0, 0.813243, 1e-6);
    EXPECT_NEAR (top.b1, 1.62649, 1e-5);
    EXPECT_NEAR (top.b2, 0.813243, 1e-6);
    EXPECT_NEAR (top.a1, 1.59130, 1e-5);
    EXPECT_NEAR (top.a2, 0.661673, 1e-6);
}

TEST (RBJBiquad, CoefficientsAreDoubleQuotientsRoundedOnce)
{
    // Types 0-5 divide unrounded doubles; rounding the raw terms first would differ in the last bits.
    const double w0 = 6.283185307179586 * 1000.0 / sr;
    const double s = std::sin (w0), c = std::cos (w0), alpha = s / (2.0 * q);
    const auto lp = designed (0, 1000.0);
    EXPECT_EQ (lp.b0, (float) (((1.0 - c) / 2.0) / (1.0 + alpha)));
    EXPECT_EQ (lp.a1, (float) ((-2.0 * c) / (1.0 + alpha)));
    EXPECT_EQ (lp.a2, (float) ((1.0 - alpha) / (1.0 + alpha)));

    // Types 6-8 round each raw term to float before dividing.
    const double A = std::pow (10.0, 6.0 / 40.0);
    const auto pk = designed (6, 1000.0, 6.0);
    EXPECT_EQ (pk.b0, (float) ((double) (float) (1.0 + alpha * A) / (double) (float) (1.0 + alpha / A)));
}

TEST (RBJBiquad, ResponsesMatchTheCookbookAtTheirCentre)
{
    const double f0 = 2000.0;
    const double A2 = std::pow (10.0, 9.0 / 20.0); // 9 dB as a linear gain

    EXPECT_NEAR (magnitudeAt (designed (0, f0), f0, sr), 0.7071, 1e-3);    // -3 dB at the corner
    EXPECT_NEAR (magnitudeAt (designed (1, f0), f0, sr), 0.7071, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (1, f0), 10.0, sr), 0.0, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (2, f0, 0.0, 4.0), f0, sr), 4.0, 1e-3);  // peak gain q
    EXPECT_NEAR (magnitudeAt (designed (3, f0, 0.0, 4.0), f0, sr), 1.0, 1e-4);  // 0 dB peak
    EXPECT_NEAR (magnitudeAt (designed (3, f0, 0.0, 4.0), 200.0, sr), 0.0, 0.05);
    EXPECT_NEAR (magnitudeAt (designed (4, f0), f0, sr), 0.0, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (4, f0), 50.0, sr), 1.0, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (5, f0), f0, sr), 1.0, 1e-4);
    EXPECT_NEAR (magnitudeAt (designed (5, f0), 7000.0, sr), 1.0, 1e-4);
    EXPECT_NEAR (magnitudeAt (designed (6, f0, 9.0), f0, sr), A2, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (6, f0, -9.0), f0, sr), 1.0 / A2, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (6, f0, 9.0), 20.0, sr), 1.0, 1e-3);

    // Shelves: full gain far into the shelf, none far from it, half the dB at f0.
    EXPECT_NEAR (magnitudeAt (designed (7, f0, 9.0), 5.0, sr), A2, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (7, f0, 9.0), 20000.0, sr), 1.0, 1e-2);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (designed (7, f0, 9.0), f0, sr)), 4.5, 1e-2);
    EXPECT_NEAR (magnitudeAt (designed (8, f0, 9.0), sr / 2.0 - 1.0, sr), A2, 1e-3);
    EXPECT_NEAR (magnitudeAt (designed (8, f0, 9.0), 5.0, sr), 1.0, 1e-3);
    EXPECT_NEAR (20.0 * std::log10 (magnitudeAt (designed (8, f0, 9.0), f0, sr)), 4.5, 1e-2);
}

TEST (RBJBiquad, BandwidthOptionChangesAlphaButNotTheShelfTerm)
{
    // One octave of bandwidth: the band-pass edges sit half an octave either side at -3 dB.
    const double f0 = 1000.0;
    const auto bp = designed (3, f0, 0.0, 1.0, true);
    EXPECT_NEAR (magnitudeAt (bp, f0, sr), 1.0, 1e-4);
    EXPECT_NEAR (magnitudeAt (bp, f0 * std::sqrt (2.0), sr), 0.7071, 0.01);

    // The shelf term is built from q whichever the option says.
    const auto shelfQ = designed (7, f0, 6.0, 1.0, false);
    const auto shelfBw = designed (7, f0, 6.0, 1.0, true);
    EXPECT_EQ (shelfQ.b0, shelfBw.b0);
    EXPECT_EQ (shelfQ.a2, shelfBw.a2);

    const auto pkQ = designed (6, f0, 6.0, 1.0, false);
    const auto pkBw = designed (6, f0, 6.0, 1.0, true);
    EXPECT_NE (pkQ.b0, pkBw.b0);
}

TEST (RBJBiquad, ZeroGainPeakingPassesTheSignal)
{
    auto f = designed (6, 3000.0, 0.0);
    EXPECT_FLOAT_EQ (f.b0, 1.0f); // b = a, with a0 = 1
    EXPECT_EQ (f.b1, f.a1);
    EXPECT_EQ (f.b2, f.a2);

    for (int i = 0; i < 64; ++i)
    {
        const float x = std::sin ((float) i * 0.37f);
        EXPECT_NEAR (f.process (x), x, 1e-5f);
    }
}

TEST (RBJBiquad, StartsAtRestAndARedesignKeepsHistory)
{
    RBJBiquad f {};
    EXPECT_EQ (f.x1, 0.0f);
    EXPECT_EQ (f.y2, 0.0f);

    f.calc_filter_coeffs (0, 1000.0, sr, q, 0.0, false);
    EXPECT_FLOAT_EQ (f.process (1.0f), f.b0); // impulse from rest
    const float second = f.process (0.0f);
    EXPECT_FLOAT_EQ (second, f.b1 - f.a1 * f.b0);

    const float x1 = f.x1, x2 = f.x2, y1 = f.y1, y2 = f.y2;
    f.calc_filter_coeffs (1, 5000.0, sr, q, 0.0, false);
    EXPECT_EQ (f.x1, x1);
    EXPECT_EQ (f.x2, x2);
    EXPECT_EQ (f.y1, y1);
    EXPECT_EQ (f.y2, y2);
}

TEST (RBJBiquad, StepEvaluatesInTheGivenOrder)
{
    RBJBiquad f {};
    f.b0 = 0.3f; f.b1 = -1.7f; f.b2 = 0.9f; f.a1 = -1.1f; f.a2 = 0.45f;
    f.x1 = 0.77f; f.x2 = -0.31f; f.y1 = 0.123f; f.y2 = -0.5f;
    const float x = 0.61f;
    const float expected = ((0.3f * x + -1.7f * 0.77f) + 0.9f * -0.31f) - -1.1f * 0.123f - 0.45f * -0.5f;

    EXPECT_EQ (f.process (x), expected);
    EXPECT_EQ (f.x1, x);
    EXPECT_EQ (f.x2, 0.77f);
    EXPECT_EQ (f.y1, expected);
    EXPECT_EQ (f.y2, 0.123f);
}
