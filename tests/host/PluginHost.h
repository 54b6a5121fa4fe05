#pragma once

#include <memory>

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

// Loads the built plug-in the way a DAW does, through the toolkit's VST3 or
// LV2 host, and drives its instances. Nothing of the plug-in's own code is
// linked in: it is reached only through the format's interface.
class PluginHost
{
public:
    enum class Format { vst3, lv2 };
    // Test cases run against each format, named after it.
    static std::string nameOf (const ::testing::TestParamInfo<Format>& info) { return info.param == Format::vst3 ? "VST3" : "LV2"; }

    static constexpr double sampleRate = 44100.0;
    static constexpr int blockSize = 441; // one control tick per block

    explicit PluginHost (Format format);

    bool isLoaded() const { return description != nullptr; }
    juce::String getError() const { return error; }
    // A new, prepared instance: one track of the session, in stereo unless the
    // host leaves the layout as the plug-in reports it.
    std::unique_ptr<juce::AudioPluginInstance> createInstance (bool chooseStereo = true);

    // Runs one block of a 1 kHz sine through the instance and returns the
    // ratio of output to input level (of both channels, or of the one given).
    float processBlock (juce::AudioPluginInstance& instance, int channel = -1);

    static juce::MemoryBlock saveState (juce::AudioPluginInstance& instance);
    static void restoreState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state);
    // A host state for the instance that carries the given element as the
    // plug-in's own saved state (as a project file written earlier would).
    juce::MemoryBlock hostStateFor (juce::AudioPluginInstance& instance, const juce::XmlElement& element) const;
    // The plug-in's own element inside a host state, or null.
    std::unique_ptr<juce::XmlElement> pluginElementOf (const juce::MemoryBlock& hostState) const;
    // The instance's saved element as the host would write it into its project now.
    std::unique_ptr<juce::XmlElement> savedElementOf (juce::AudioPluginInstance& instance) const { return pluginElementOf (saveState (instance)); }

    // A saved element of the plug-in, as a project file holds it, with a track
    // name and any links added.
    static juce::XmlElement element (const juce::String& trackName);
    static void addLink (juce::XmlElement& xml, int p, const juce::String& rule, double scale, int delayUnit,
                         int ticks, int beats, double initValue, const juce::String& leader);

private:
    // Where the plug-in's base64 text stands in the LV2 host's Turtle state.
    static juce::Range<int> pluginTextIn (const juce::String& turtle);

    const Format kind;
    std::unique_ptr<juce::AudioPluginFormat> format;
    std::unique_ptr<juce::PluginDescription> description;
    juce::String error;
    juce::AudioBuffer<float> input;
};
