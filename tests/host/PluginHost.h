#pragma once

#include <memory>

#include <juce_audio_processors/juce_audio_processors.h>

// Loads the built VST3 plug-in the way a DAW does and drives its instances.
class PluginHost
{
public:
    static constexpr double sampleRate = 44100.0;
    static constexpr int blockSize = 441; // one control tick per block

    PluginHost();

    bool isLoaded() const { return description != nullptr; }
    juce::String getError() const { return error; }

    // A new, prepared instance: one track of the session.
    std::unique_ptr<juce::AudioPluginInstance> createInstance();

    // Runs one block of a 1 kHz sine through the instance and returns the
    // ratio of output to input level (both channels together).
    float processBlock (juce::AudioPluginInstance& instance);

    static juce::MemoryBlock saveState (juce::AudioPluginInstance& instance);
    static void restoreState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state);

    // A host state for the instance that carries the given element as the
    // plug-in's own saved state (as a project file written earlier would).
    static juce::MemoryBlock hostStateFor (juce::AudioPluginInstance& instance, const juce::XmlElement& element);

    // The plug-in's own element inside a host state, or null.
    static std::unique_ptr<juce::XmlElement> pluginElementOf (const juce::MemoryBlock& hostState);

private:
    juce::VST3PluginFormat format;
    std::unique_ptr<juce::PluginDescription> description;
    juce::String error;
    juce::AudioBuffer<float> input;
};
