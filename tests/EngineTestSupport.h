#pragma once

#include <vector>

#include "engine/Brindle.h"
#include "engine/KtHostParamControl.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace zoengine
{
inline VSharedData& table() { return *VSharedData::sharedInstance(); }
inline int rowOf (const Brindle& b) { return table().getDataIndex (b.trackId); }
// What the host hears of a parameter.
struct HostListener : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged (int index, float) override { indices.push_back (index); }
    void parameterGestureChanged (int, bool) override {}
    std::vector<int> indices;
};
// A host's play head, at a tempo the test may change.
struct TempoHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override { PositionInfo i; i.setBpm (bpm); i.setIsPlaying (playing); return i; }
    double bpm = 120.0;
    bool playing = false;
};
// A control bound to a parameter that counts its refreshes.
struct CountingControl : KtHostParamControl
{
    using KtHostParamControl::KtHostParamControl;
    ~CountingControl() override { cancelPendingUpdate(); }
    void handleAsyncUpdate() override { ++updates; }
    int updates = 0;
};
// Runs the buffer through the processor in place, in blocks of `blockSize`.
inline void process (Brindle& b, juce::AudioBuffer<float>& buffer, int blockSize = 1 << 30)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start,
                                        juce::jmin (blockSize, buffer.getNumSamples() - start));
        b.processBlock (block, midi);
    }
}
// Uniform noise in [-1, 1); silence for seed 0.
inline juce::AudioBuffer<float> noise (int channels, int n, int seed)
{
    juce::Random r (seed);
    juce::AudioBuffer<float> buffer (channels, n);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < n; ++i)
            buffer.setSample (c, i, seed == 0 ? 0.0f : r.nextFloat() * 2.0f - 1.0f);
    return buffer;
}
inline void runSilence (Brindle& b, int samples, int blockSize = 441) { auto buffer = noise (2, samples, 0); process (b, buffer, blockSize); }
} // namespace zoengine
