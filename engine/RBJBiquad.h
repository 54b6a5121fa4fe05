#pragma once

#include <cmath>
#include <vector>

// One biquad section (Direct Form I) with the Audio EQ Cookbook designs.
// A plain record: value-initialise it and every field starts at 0.
struct RBJBiquad
{
    // type: 0 low-pass, 1 high-pass, 2 band-pass (skirt gain q), 3 band-pass (0 dB peak),
    // 4 notch, 5 all-pass, 6 peaking, 7 low shelf, 8 high shelf.
    // Writes b0..a2, keeps the histories, and returns { b0, b1, b2, 1, a1, a2 }.
    std::vector<float> calc_filter_coeffs (int type, double frequency, double sampleRate,
                                           double q, double gainDb, bool qIsBandwidth);

    // The same design without the returned copy: the audio thread may not allocate.
    void design (int type, double frequency, double sampleRate, double q, double gainDb, bool qIsBandwidth) noexcept;

    // The per-sample step, in single precision and in this evaluation order.
    inline float process (float x) noexcept
    {
        const float y = ((b0 * x + b1 * x1) + b2 * x2) - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    bool hasFiniteHistory() const noexcept
    {
        return std::isfinite (y1) && std::isfinite (y2) && std::isfinite (x1) && std::isfinite (x2);
    }

    void clearHistory() noexcept { y1 = y2 = x1 = x2 = 0.0f; }

    float b0, b1, b2, a1, a2;
    float y1, y2, x1, x2;
};
