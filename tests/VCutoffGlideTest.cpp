#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include "engine/VCutoffGlide.h"
#include "tests/EngineTestSupport.h"

using namespace zoengine;

namespace
{
constexpr double rate = 48000.0;
constexpr int block = 480;        // one control tick
constexpr int changeAt = 50 * block; // half a second in

float normalisedCutoff (float hz) { return (hz - 20.0f) / 19980.0f; }

// Sines of equal amplitude summing to a peak of at most 0.5, on every channel.
juce::AudioBuffer<float> tones (const std::vector<double>& frequencies, int n, int channels = 2)
{
    juce::AudioBuffer<float> buffer (channels, n);
    for (int i = 0; i < n; ++i)
    {
        double v = 0.0;
        for (double f : frequencies)
            v += std::sin (juce::MathConstants<double>::twoPi * f * i / rate);
        for (int c = 0; c < channels; ++c)
            buffer.setSample (c, i, (float) (0.5 * v / (double) frequencies.size()));
    }
    return buffer;
}

float peak (const juce::AudioBuffer<float>& b, int from)
{
    return b.getMagnitude (from, b.getNumSamples() - from);
}

// Plays the buffer through the processor a tick at a time, calling `automate`
// with each block's start before it is played.
void play (Brindle& b, juce::AudioBuffer<float>& buffer, const std::function<void (int)>& automate)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < buffer.getNumSamples(); start += block)
    {
        automate (start);
        juce::AudioBuffer<float> part (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, block);
        b.processBlock (part, midi);
    }
}

// A processor at rest with these cutoffs, 48 kHz.
void setCutoffs (Brindle& b, float lowPass, float highPass)
{
    b.getParameters()[2]->setValue (normalisedCutoff (lowPass));
    b.getParameters()[3]->setValue (normalisedCutoff (highPass));
    b.prepareToPlay (rate, block);
}

// The last sample at which two outputs differ by 1e-3 or more, after `from`.
int lastDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int from)
{
    int last = from;
    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int i = from; i < a.getNumSamples(); ++i)
            if (std::abs (a.getSample (c, i) - b.getSample (c, i)) >= 1.0e-3f)
                last = juce::jmax (last, i);
    return last;
}

const std::vector<std::vector<double>> signals { { 100.0 }, { 1000.0 }, { 10000.0 }, { 100.0, 1000.0, 10000.0 } };
} // namespace

// Today's designs put new coefficients over histories made at a far cutoff:
// +20 to +40 dB before the fix.
TEST (VCutoffGlide, ACutoffSteppedByTheHostStaysWithinADecibelOfTheInputAndSettlesAsADesignAtTheNewCutoff)
{
    // parameter, low-pass and high-pass before, the new cutoff, and the time by which it has settled
    const std::tuple<int, float, float, float, double> steps[] = {
        { 2, 20000, 20, 20, 0.1 }, { 3, 20000, 20000, 20, 0.1 }, { 2, 1000, 20, 20, 0.1 },
        { 2, 20, 20, 20000, 0.07 }, { 3, 20000, 20, 20000, 0.012 } };
    for (auto [p, lowPass, highPass, to, settledBy] : steps)
    {
        for (const auto& frequencies : signals)
        {
            Brindle b, reference;
            setCutoffs (b, lowPass, highPass);
            setCutoffs (reference, p == 2 ? to : lowPass, p == 3 ? to : highPass);
            auto in = tones (frequencies, 2 * changeAt), out = in, settled = in;
            auto* stepped = b.getParameters()[p];
            const float normalised = normalisedCutoff (to);
            play (b, out, [&] (int start) { if (start == changeAt) stepped->setValue (normalised); });
            play (reference, settled, [] (int) {});
            const auto what = "parameter " + std::to_string (p) + " to " + std::to_string (to) + " Hz, tone "
                            + std::to_string (frequencies.front()) + (frequencies.size() > 1 ? " and more" : "");
            EXPECT_LE (peak (out, changeAt), peak (in, 0) * 1.122f) << what; // +1 dB
            EXPECT_LE (lastDifference (out, settled, changeAt), changeAt + (int) (settledBy * rate)) << what;
        }
    }
}

// One glide serves every channel of the general path, once per sample; 20 Hz leaves nothing of 1 kHz (-68 dB).
TEST (VCutoffGlide, AMonoOrSixChannelTrackSteppedDownStaysWithinADecibelAndSettles)
{
    for (int channels : { 1, 6 })
    {
        Brindle b;
        b.setPlayConfigDetails (channels, channels, rate, block);
        setCutoffs (b, 20000, 20);
        auto in = tones ({ 1000.0 }, 2 * changeAt, channels), out = in;
        play (b, out, [&] (int start) { if (start == changeAt) b.getParameters()[2]->setValue (0.0f); });
        EXPECT_LE (peak (out, changeAt), peak (in, 0) * 1.122f) << channels;
        EXPECT_LT (peak (out, changeAt + (int) (0.1 * rate)), 1.0e-3f) << channels;
    }
}

// A follower moves with its leader: by Same, and down by Reverse while the leader moves up.
TEST (VCutoffGlide, AFollowersCutoffSteppedThroughALinkStaysWithinADecibelOfTheInput)
{
    Brindle leader, same, reverse;
    setCutoffs (leader, 20000, 20);
    setCutoffs (same, 20000, 20);
    setCutoffs (reverse, 20000, 20000);
    table().addMaster (rowOf (same), rowOf (leader), 2, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    table().addMaster (rowOf (reverse), rowOf (leader), 3, "Reverse (-x)", 1.0f, 0, 0, 0.0f, 0);
    auto in = tones ({ 1000.0 }, 2 * changeAt), atLeader = in, atSame = in, atReverse = in;
    juce::MidiBuffer midi;
    for (int start = 0; start < in.getNumSamples(); start += block)
    {
        if (start == changeAt)
        {
            leader.getParameters()[2]->setValue (normalisedCutoff (20)); // down
            leader.getParameters()[3]->setValue (normalisedCutoff (20000)); // up, so the reverse follower goes down
        }
        for (auto [b, buffer] : { std::pair (&leader, &atLeader), std::pair (&same, &atSame), std::pair (&reverse, &atReverse) })
        {
            juce::AudioBuffer<float> part (buffer->getArrayOfWritePointers(), 2, start, block);
            b->processBlock (part, midi);
        }
    }
    ASSERT_EQ (same.lpfCutoff.load(), 20.0f);
    ASSERT_EQ (reverse.hpfCutoff.load(), 20.0f);
    EXPECT_LE (peak (atSame, changeAt), peak (in, 0) * 1.122f);
    EXPECT_LE (peak (atReverse, changeAt), peak (in, 0) * 1.122f);
}

// A host's automation ramp, straight in the parameter's value (so in hertz), from 20 kHz to 20 Hz in two
// seconds: a step per tick, small at the top and a sixth of the cutoff at the bottom.
TEST (VCutoffGlide, AnAutomatedSweepDownStaysWithinADecibelOfTheInput)
{
    for (int p : { 2, 3 })
    {
        for (const auto& frequencies : signals)
        {
            Brindle b;
            setCutoffs (b, 20000, p == 2 ? 20 : 20000);
            auto in = tones (frequencies, 300 * block), out = in;
            play (b, out, [&] (int start)
            {
                const float t = juce::jlimit (0.0f, 1.0f, (float) (start - 50 * block) / (200.0f * block));
                b.getParameters()[p]->setValue (1.0f - t);
            });
            EXPECT_LE (peak (out, 50 * block), peak (in, 0) * 1.122f) << "parameter " << p << ", tone " << frequencies.front();
        }
    }
}

// Without the flush, 95% of a silent second after a tone was subnormal: costly
// here and in whatever reads the output.
TEST (VCutoffGlide, SilenceAfterAToneLeavesNoSubnormalNumber)
{
    Brindle b;
    setCutoffs (b, 300, 200);
    auto out = tones ({ 250.0 }, 150 * block);
    for (int i = 10 * block; i < out.getNumSamples(); ++i)
        out.setSample (0, i, 0.0f), out.setSample (1, i, 0.0f);
    play (b, out, [] (int) {});
    int subnormal = 0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < out.getNumSamples(); ++i)
            subnormal += std::fpclassify (out.getSample (c, i)) == FP_SUBNORMAL;
    EXPECT_EQ (subnormal, 0);
}

// A glide ends on the cookbook's own design; a bank at rest takes a cutoff at once.
TEST (VCutoffGlide, AGlideEndsOnTheCookbookDesignAndABankAtRestJumps)
{
    VCutoffGlide glide (0, 0.7071);
    VCutoffGlide::Bank bank;
    bank.push_back (std::make_unique<RBJBiquad>());
    glide.jumpTo (20000.0, 44100.0, bank);
    for (int i = 0; i < 64; ++i)
        bank[0]->process (0.25f);
    glide.setTarget (1000.0);
    glide.advance (44100.0, bank);
    EXPECT_TRUE (glide.isMoving()) << "a filter that holds a state glides";
    for (int i = 0; i < 44100 && glide.isMoving(); ++i)
        glide.advance (44100.0, bank), bank[0]->process (0.25f);
    EXPECT_EQ (glide.getDesignedCutoff(), 1000.0);
    const auto& f = *bank[0];
    EXPECT_EQ (std::vector<float> ({ f.b0, f.b1, f.b2, 1.0f, f.a1, f.a2 }),
               RBJBiquad {}.calc_filter_coeffs (0, 1000.0, 44100.0, 0.7071, 0.0, false));
    EXPECT_NEAR (f.y1, 0.25f, 1e-4f) << "and passes the held input as before";

    bank[0]->clearHistory();
    glide.setTarget (20.0);
    glide.advance (44100.0, bank);
    EXPECT_FALSE (glide.isMoving());
}
