#include "tests/host/PluginHost.h"

#include <cmath>
#include <cstdlib>

namespace
{
std::unique_ptr<juce::AudioPluginFormat> makeFormat (PluginHost::Format kind)
{
    if (kind == PluginHost::Format::vst3)
        return std::make_unique<juce::VST3PluginFormat>();

    // The LV2 host reads ~/.lv2 first, where an installed copy of the plug-in
    // would stand in for the one just built: point it at an empty home.
    const juce::File home (ZO_HOST_HOME);
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    return std::make_unique<juce::LV2PluginFormat>();
}
} // namespace

PluginHost::PluginHost (Format formatToUse)
    : kind (formatToUse), format (makeFormat (formatToUse))
{
    juce::OwnedArray<juce::PluginDescription> found;

    if (kind == Format::vst3)
    {
        const juce::File bundle (juce::File (ZO_VST3_BUNDLE).getLinkedTarget());
        format->findAllTypesForFile (found, bundle.getFullPathName());
    }
    else
    {
        const juce::File bundle (ZO_LV2_BUNDLE);
        format->searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()), false, false);
        format->findAllTypesForFile (found, ZO_LV2_URI);
    }

    if (found.isEmpty())
        error = "no plug-in found for " + format->getName();
    else
        description = std::make_unique<juce::PluginDescription> (*found[0]);

    input.setSize (2, blockSize);
    for (int i = 0; i < blockSize; ++i)
    {
        const auto s = (float) (0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * 1000.0 * i / sampleRate));
        input.setSample (0, i, s);
        input.setSample (1, i, s);
    }
}

std::unique_ptr<juce::AudioPluginInstance> PluginHost::createInstance (bool chooseStereo)
{
    auto instance = description != nullptr ? format->createInstanceFromDescription (*description, sampleRate, blockSize, error)
                                           : nullptr;
    if (instance != nullptr)
    {
        if (chooseStereo)
            instance->setPlayConfigDetails (2, 2, sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);
    }
    return instance;
}

float PluginHost::processBlock (juce::AudioPluginInstance& instance, int channel)
{
    juce::AudioBuffer<float> buffer (input);
    juce::MidiBuffer midi;
    instance.processBlock (buffer, midi);

    // Measure the second half: the 1 kHz sine has settled in the filters by then.
    const int half = blockSize / 2;
    float in = 0.0f, out = 0.0f;
    for (int c = juce::jmax (0, channel); c < (channel < 0 ? 2 : channel + 1); ++c)
        in += input.getRMSLevel (c, half, blockSize - half), out += buffer.getRMSLevel (c, half, blockSize - half);
    return out / in;
}

juce::MemoryBlock PluginHost::saveState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock block;
    return (instance.getStateInformation (block), block);
}

void PluginHost::restoreState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state)
{
    instance.setStateInformation (state.getData(), (int) state.getSize());
}

// The VST3 host keeps the plug-in's bytes as base64 in an "IComponent" child of its XML;
// the LV2 host as the base64 string of the plug-in's "StateString" in its Turtle text.
juce::Range<int> PluginHost::pluginTextIn (const juce::String& turtle)
{
    const juce::String opening (":StateString> \"");
    const int start = turtle.indexOf (opening);

    if (start < 0)
        return {};

    const int textStart = start + opening.length();
    const int end = turtle.indexOf (textStart, "\"");
    return end < 0 ? juce::Range<int>() : juce::Range<int> (textStart, end);
}

juce::MemoryBlock PluginHost::hostStateFor (juce::AudioPluginInstance& instance, const juce::XmlElement& element) const
{
    juce::MemoryBlock pluginBytes;
    juce::AudioProcessor::copyXmlToBinary (element, pluginBytes);
    const auto saved = saveState (instance);
    juce::MemoryBlock result;

    if (kind == Format::lv2)
    {
        auto turtle = saved.toString();
        const auto range = pluginTextIn (turtle);

        if (! range.isEmpty())
        {
            turtle = turtle.replaceSection (range.getStart(), range.getLength(), pluginBytes.toBase64Encoding());
            result.append (turtle.toRawUTF8(), turtle.getNumBytesAsUTF8());
        }

        return result;
    }

    if (auto hostXml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize()))
    {
        if (auto* component = hostXml->getChildByName ("IComponent"))
        {
            component->deleteAllTextElements();
            component->addTextElement (pluginBytes.toBase64Encoding());
            juce::AudioProcessor::copyXmlToBinary (*hostXml, result);
        }
    }

    return result;
}

std::unique_ptr<juce::XmlElement> PluginHost::pluginElementOf (const juce::MemoryBlock& hostState) const
{
    juce::String base64;

    if (kind == Format::lv2)
    {
        const auto turtle = hostState.toString();
        base64 = turtle.substring (pluginTextIn (turtle).getStart(), pluginTextIn (turtle).getEnd());
    }
    else if (auto hostXml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
    {
        if (auto* component = hostXml->getChildByName ("IComponent"))
            base64 = component->getAllSubText();
    }

    juce::MemoryBlock pluginBytes;
    pluginBytes.fromBase64Encoding (base64);
    return juce::AudioProcessor::getXmlFromBinary (pluginBytes.getData(), (int) pluginBytes.getSize());
}

juce::XmlElement PluginHost::element (const juce::String& trackName)
{
    juce::XmlElement xml ("Kt_Tarvel_SETTINGS");
    return (xml.setAttribute ("track_name", trackName), xml);
}

void PluginHost::addLink (juce::XmlElement& xml, int p, const juce::String& rule, double scale, int delayUnit,
                          int ticks, int beats, double initValue, const juce::String& leader)
{
    const juce::String n (p);
    xml.setAttribute ("Rule_" + n, rule);
    xml.setAttribute ("Scale_" + n, scale);
    xml.setAttribute ("DelayUnit_" + n, delayUnit);
    xml.setAttribute ("DelayBufferLength_" + n, ticks);
    xml.setAttribute ("DelayTimeInBeats_" + n, beats);
    xml.setAttribute ("InitValue_" + n, initValue);
    xml.setAttribute ("MasterTrackName_" + n, leader);
}
