#include "tests/host/PluginHost.h"

#include <cmath>

PluginHost::PluginHost()
{
    const juce::File bundle (juce::File (ZO_VST3_BUNDLE).getLinkedTarget());
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.isEmpty())
        error = "no plug-in found in " + bundle.getFullPathName();
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

std::unique_ptr<juce::AudioPluginInstance> PluginHost::createInstance()
{
    if (description == nullptr)
        return {};

    auto instance = format.createInstanceFromDescription (*description, sampleRate, blockSize, error);

    if (instance != nullptr)
    {
        instance->setPlayConfigDetails (2, 2, sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);
    }

    return instance;
}

float PluginHost::processBlock (juce::AudioPluginInstance& instance)
{
    juce::AudioBuffer<float> buffer (input);
    juce::MidiBuffer midi;
    instance.processBlock (buffer, midi);

    // Measure the second half: the 1 kHz sine has settled in the filters by then.
    const int half = blockSize / 2;
    const float in = input.getRMSLevel (0, half, blockSize - half) + input.getRMSLevel (1, half, blockSize - half);
    const float out = buffer.getRMSLevel (0, half, blockSize - half) + buffer.getRMSLevel (1, half, blockSize - half);
    return out / in;
}

juce::MemoryBlock PluginHost::saveState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock block;
    instance.getStateInformation (block);
    return block;
}

void PluginHost::restoreState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& state)
{
    instance.setStateInformation (state.getData(), (int) state.getSize());
}

// The VST3 host keeps the plug-in's component state as base64 text in an
// "IComponent" child of its own element.
juce::MemoryBlock PluginHost::hostStateFor (juce::AudioPluginInstance& instance, const juce::XmlElement& element)
{
    auto hostXml = juce::AudioProcessor::getXmlFromBinary (saveState (instance).getData(),
                                                           (int) saveState (instance).getSize());
    juce::MemoryBlock pluginBytes;
    juce::AudioProcessor::copyXmlToBinary (element, pluginBytes);

    if (hostXml != nullptr)
    {
        if (auto* component = hostXml->getChildByName ("IComponent"))
        {
            component->deleteAllTextElements();
            component->addTextElement (pluginBytes.toBase64Encoding());
        }
    }

    juce::MemoryBlock result;
    if (hostXml != nullptr)
        juce::AudioProcessor::copyXmlToBinary (*hostXml, result);
    return result;
}

std::unique_ptr<juce::XmlElement> PluginHost::pluginElementOf (const juce::MemoryBlock& hostState)
{
    auto hostXml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());

    if (hostXml == nullptr)
        return {};

    auto* component = hostXml->getChildByName ("IComponent");

    if (component == nullptr)
        return {};

    juce::MemoryBlock pluginBytes;
    pluginBytes.fromBase64Encoding (component->getAllSubText());
    return juce::AudioProcessor::getXmlFromBinary (pluginBytes.getData(), (int) pluginBytes.getSize());
}
