#include "engine/VCutoffGlide.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double pi = 3.141592653589793;

// Shares of the filter's own speed (its angular cutoff) by which the log of its
// cutoff moves. A move that lets more of the signal through (a low-pass up, a
// high-pass down) is the slowest: a tone the cutoff passes must grow no faster
// than both filters follow without overshoot. A low-pass moving down settles
// soonest at a moderate pace; a high-pass moving up takes its cutoff at once,
// its state carried over.
constexpr double lowPassDown = 0.2;
constexpr double lowPassUp = 0.5;
constexpr double highPassDown = 0.12;
constexpr double largestStep = 0.028881132523331052; // ln 2 / 24

// The two outputs that the state-variable filter (topology-preserving, as the
// cookbook's: bilinear with the cutoff prewarped) would still play from its
// integrator states with no more input.
struct Ringing
{
    double first, second;
};

Ringing ringing (int type, double g, double k, double ic1, double ic2) noexcept
{
    const double h1 = 1.0 / (1.0 + g * (g + k));
    const double h2 = g * h1;
    const double h3 = g * h2;
    double out[2];

    for (double& o : out)
    {
        const double v1 = h1 * ic1 - h2 * ic2;
        const double v2 = ic2 + h2 * ic1 - h3 * ic2;
        o = type == 0 ? v2 : -k * v1 - v2;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
    }

    return { out[0], out[1] };
}

bool atRest (const VCutoffGlide::Bank& filters) noexcept
{
    return std::all_of (filters.begin(), filters.end(), [] (const auto& f)
                        { return f->x1 == 0.0f && f->x2 == 0.0f && f->y1 == 0.0f && f->y2 == 0.0f; });
}
} // namespace

VCutoffGlide::VCutoffGlide (int filterType, double filterQ) noexcept
    : type (filterType), q (filterQ)
{
}

void VCutoffGlide::jumpTo (double cutoff, double sampleRate, Bank& filters) noexcept
{
    designed = target = cutoff;
    wait = 0;

    for (auto& f : filters)
        f->design (type, cutoff, sampleRate, q, 0.0, false);
}

void VCutoffGlide::setTarget (double cutoff) noexcept
{
    if (! (cutoff > 0.0) || ! std::isfinite (cutoff))
        return;

    // A turn starts at the pace of its own direction.
    if ((cutoff > designed) != (target > designed))
        wait = 0;

    target = cutoff;
}

void VCutoffGlide::advance (double sampleRate, Bank& filters) noexcept
{
    if (! isMoving() || --wait > 0)
        return;

    // Silence has nothing to carry over.
    if (atRest (filters))
    {
        jumpTo (target, sampleRate, filters);
        return;
    }

    const bool up = target > designed;
    double next = target;

    if (type == 0 || ! up)
    {
        // The filter's speed in log-cutoff per sample, 2θ at low cutoffs; near
        // Nyquist, where the sampled filter is no longer an analogue one, slower still.
        const double theta = pi * designed / sampleRate;
        const double c = std::cos (theta);
        const double pace = type == 0 ? (up ? lowPassUp : lowPassDown) : highPassDown;
        const double perSample = std::max (pace * 2.0 * theta * c * c, 1.0e-6);

        const double move = std::max (perSample, largestStep);
        wait = (int) std::lround (std::min (move / perSample, 1.0e6));
        next = designed * std::exp (up ? move : -move);

        if (up ? next > target : next < target)
            next = target;
    }

    stepTo (next, sampleRate, filters);

    if (next == target)
        wait = 0;
}

void VCutoffGlide::stepTo (double cutoff, double sampleRate, Bank& filters) noexcept
{
    RBJBiquad fresh {};
    fresh.design (type, cutoff, sampleRate, q, 0.0, false);

    const double k = 1.0 / q;
    const double gFrom = std::tan (pi * designed / sampleRate);
    const double gTo = std::tan (pi * cutoff / sampleRate);

    // The state-variable filter's ringing from each integrator alone, at the old cutoff.
    const auto r1 = ringing (type, gFrom, k, 1.0, 0.0);
    const auto r2 = ringing (type, gFrom, k, 0.0, 1.0);
    const double det = r1.first * r2.second - r2.first * r1.second;

    for (auto& fp : filters)
    {
        auto& f = *fp;
        const double x1 = f.x1, x2 = f.x2;

        // What the biquad would still play with no more input...
        const double z0 = f.b1 * x1 + f.b2 * x2 - f.a1 * (double) f.y1 - f.a2 * (double) f.y2;
        const double z1 = f.b2 * x1 - f.a1 * z0 - f.a2 * (double) f.y1;

        // ...as the integrators' states...
        const double ic1 = (z0 * r2.second - r2.first * z1) / det;
        const double ic2 = (r1.first * z1 - z0 * r1.second) / det;

        // ...which ring on at the new cutoff.
        const auto w = ringing (type, gTo, k, ic1, ic2);

        f.b0 = fresh.b0;
        f.b1 = fresh.b1;
        f.b2 = fresh.b2;
        f.a1 = fresh.a1;
        f.a2 = fresh.a2;

        // The kept outputs from which the new design plays that ringing.
        f.y1 = (float) ((f.b2 * x1 - f.a1 * w.first - w.second) / f.a2);
        f.y2 = (float) ((f.b1 * x1 + f.b2 * x2 - f.a1 * (double) f.y1 - w.first) / f.a2);
    }

    designed = cutoff;
}
