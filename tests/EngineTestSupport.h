#pragma once

#include <cmath>
#include <vector>

#include "engine/Brindle.h"
#include "engine/KtHostParamControl.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace zoengine
{
inline VSharedData& table() { return *VSharedData::sharedInstance(); }
inline int rowOf (const Brindle& b) { return table().getDataIndex (b.trackId); }

// What the host hears of a parameter: the indices of value changes, and gestures.
struct HostListener : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged (int index, float value) override { indices.push_back (index); lastValue = value; }
    void parameterGestureChanged (int, bool) override {}
    std::vector<int> indices;
    float lastValue = -1.0f;
};

// A control bound to a parameter that counts its refreshes.
struct CountingControl : KtHostParamControl
{
    using KtHostParamControl::KtHostParamControl;
    ~CountingControl() override { cancelPendingUpdate(); }
    void handleAsyncUpdate() override { ++updates; }
    int updates = 0;
};

inline void process (Brindle& b, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    b.processBlock (buffer, midi);
}

// Runs the buffer through the processor in blocks of `blockSize`, in place.
inline void processInBlocks (Brindle& b, juce::AudioBuffer<float>& buffer, int blockSize)
{
    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start,
                                        juce::jmin (blockSize, buffer.getNumSamples() - start));
        process (b, block);
    }
}

inline void runSilence (Brindle& b, int samples, int channels = 2, int blockSize = 441)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    buffer.clear();
    processInBlocks (b, buffer, blockSize);
}

inline juce::AudioBuffer<float> noise (int channels, int n, int seed)
{
    juce::Random r (seed);
    juce::AudioBuffer<float> buffer (channels, n);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < n; ++i)
            buffer.setSample (c, i, r.nextFloat() * 2.0f - 1.0f);
    return buffer;
}

// Sample by sample: a buffer's magnitude hides NaN.
inline bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (c, i)))
                return false;
    return true;
}
} // namespace zoengine
