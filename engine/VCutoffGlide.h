#pragma once

#include <memory>
#include <vector>

#include "engine/RBJBiquad.h"

// Takes one filter kind of an instance (its low-pass or its high-pass: one
// biquad per channel) from the cutoff it is designed at to the cutoff that the
// control tick asks for.
//
// A biquad's histories hold what it has played. Redesigned far from where they
// were made (a cutoff stepped from 20 kHz to 20 Hz), they lie far from anything
// the new filter could have produced, and its slow poles swing them out into a
// burst well above the input. So a new cutoff is reached by a glide:
// - geometric steps of at most a 24th of an octave, each a redesign at the
//   step's cutoff, at a pace that is a share of the filter's own speed at that
//   cutoff (slow near 20 Hz, fast near 20 kHz); slowest where the move lets
//   more of the signal through, and at once for a high-pass moving up;
// - at every step each filter keeps its state: the inputs it has seen stay,
//   and its kept outputs are rewritten so that the state-variable filter with
//   the same response (whose two integrators mean the same thing at any
//   cutoff) goes on from where it was.
// While nothing moves no step runs and the biquads run exactly as designed. A
// bank at rest (every history zero) takes a new cutoff at once.
//
// Not thread-safe: the owner guards the glide and its biquads with one lock.
class VCutoffGlide
{
public:
    using Bank = std::vector<std::unique_ptr<RBJBiquad>>;

    // filterType: 0 low-pass or 1 high-pass, the designs this glide carries state across.
    VCutoffGlide (int filterType, double q) noexcept;

    // Designs every filter of the bank at the cutoff now, ending any glide; the
    // histories stay. For a new sample rate and for fresh filters.
    void jumpTo (double cutoff, double sampleRate, Bank& filters) noexcept;

    // The cutoff to glide to; a value that is not a positive number is ignored.
    void setTarget (double cutoff) noexcept;

    bool isMoving() const noexcept { return designed != target; }

    // One sample of a glide, run once per sample index before the bank filters
    // it; it may redesign every filter of the bank.
    void advance (double sampleRate, Bank& filters) noexcept;

    double getDesignedCutoff() const noexcept { return designed; }

private:
    void stepTo (double cutoff, double sampleRate, Bank& filters) noexcept;

    const int type;
    const double q;
    double designed = 0.0;
    double target = 0.0;
    int wait = 0; // samples before the next step
};
