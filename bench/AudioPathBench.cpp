#include <benchmark/benchmark.h>

#include <cmath>

#include <juce_dsp/juce_dsp.h>

#include "engine/Brindle.h"
#include "engine/RBJBiquad.h"

namespace
{
constexpr double rate = 48000.0;
constexpr int block = 512;

juce::AudioBuffer<float> testSignal()
{
    juce::AudioBuffer<float> buffer (2, block);
    juce::Random r (1);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < block; ++i)
            buffer.setSample (c, i, r.nextFloat() - 0.5f);
    return buffer;
}

// Non-default settings so that every stage does real work.
void configure (Brindle& b)
{
    b.prepareToPlay (rate, block);
    b.getParameters()[0]->setValue (0.4f);
    b.getParameters()[1]->setValue (0.3f);
    b.getParameters()[2]->setValue (0.6f);
    b.getParameters()[3]->setValue (0.01f);
    b.prepareToPlay (rate, block);
}
} // namespace

// The plug-in's own audio path: per-sample locks, ticks every 10 ms. With
// moving:1, every block's tick sends both cutoffs the other way (low-pass
// between 20 kHz and 200 Hz, high-pass between 20 Hz and 2 kHz), so a glide is
// always under way, each step a redesign that carries the filters' state.
static void BM_BrindleProcessBlock (benchmark::State& state)
{
    Brindle b;
    configure (b);
    const auto source = testSignal();
    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer midi;
    const bool moving = state.range (0) != 0;
    bool down = true;

    for (auto _ : state)
    {
        if (moving)
        {
            b.getParameters()[2]->setValue (down ? 0.009f : 1.0f);
            b.getParameters()[3]->setValue (down ? 0.0f : 0.0991f);
            down = ! down;
        }

        buffer.makeCopyOf (source, true);
        b.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetItemsProcessed (state.iterations() * block);
}
BENCHMARK (BM_BrindleProcessBlock)->ArgName ("moving")->Arg (0)->Arg (1);

// The same arithmetic with nothing around it: two Direct Form I biquads per
// channel, the pan law and the gain, no locks and no tick.
static void BM_BareLoop (benchmark::State& state)
{
    RBJBiquad lp[2] {}, hp[2] {};
    for (int c = 0; c < 2; ++c)
    {
        lp[c].calc_filter_coeffs (0, 12000.0, rate, 0.7071, 0.0, false);
        hp[c].calc_filter_coeffs (1, 200.0, rate, 0.7071, 0.0, false);
    }

    const float p = -0.4f, g = 0.7f;
    const double boost = std::pow (10.0, 1.5 * (double) -p * 0.05);
    const auto source = testSignal();
    juce::AudioBuffer<float> buffer (2, block);

    for (auto _ : state)
    {
        buffer.makeCopyOf (source, true);
        auto* l = buffer.getWritePointer (0);
        auto* r = buffer.getWritePointer (1);

        for (int i = 0; i < block; ++i)
        {
            l[i] = hp[0].process (lp[0].process (l[i]));
            r[i] = hp[1].process (lp[1].process (r[i]));
            l[i] = (float) ((double) l[i] * boost);
            r[i] *= 1.0f + p;
            l[i] *= g;
            r[i] *= g;
        }

        benchmark::DoNotOptimize (l);
    }

    state.SetItemsProcessed (state.iterations() * block);
}
BENCHMARK (BM_BareLoop);

// The same work built from the toolkit's DSP classes.
static void BM_JuceDsp (benchmark::State& state)
{
    using Filter = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>>;
    juce::dsp::ProcessorChain<Filter, Filter, juce::dsp::Panner<float>, juce::dsp::Gain<float>> chain;

    juce::dsp::ProcessSpec spec { rate, (juce::uint32) block, 2 };
    chain.get<0>().state = juce::dsp::IIR::Coefficients<float>::makeLowPass (rate, 12000.0f, 0.7071f);
    chain.get<1>().state = juce::dsp::IIR::Coefficients<float>::makeHighPass (rate, 200.0f, 0.7071f);
    chain.get<2>().setRule (juce::dsp::PannerRule::balanced);
    chain.get<2>().setPan (-0.4f);
    chain.get<3>().setGainLinear (0.7f);
    chain.prepare (spec);

    const auto source = testSignal();
    juce::AudioBuffer<float> buffer (2, block);

    for (auto _ : state)
    {
        buffer.makeCopyOf (source, true);
        juce::dsp::AudioBlock<float> audio (buffer);
        chain.process (juce::dsp::ProcessContextReplacing<float> (audio));
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetItemsProcessed (state.iterations() * block);
}
BENCHMARK (BM_JuceDsp);
