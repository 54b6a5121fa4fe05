#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

// Hosts load an LV2 plug-in by the URI in its bundle's manifest; a relative
// URI gets listed but never loads.
TEST (Lv2Bundle, ManifestNamesThePluginByAnAbsoluteUri)
{
    const juce::File bundle (ZO_LV2_BUNDLE);
    const auto manifest = bundle.getChildFile ("manifest.ttl").loadFileAsString();
    ASSERT_TRUE (manifest.isNotEmpty()) << bundle.getFullPathName();

    const auto uri = manifest.fromFirstOccurrenceOf ("\n<", false, false).upToFirstOccurrenceOf (">", false, false);
    EXPECT_TRUE (uri.startsWith ("http://")) << uri;
    EXPECT_TRUE (manifest.contains ("<" + uri + ">\n\ta lv2:Plugin"));

    const auto binary = manifest.fromFirstOccurrenceOf ("lv2:binary <", false, false).upToFirstOccurrenceOf (">", false, false);
    EXPECT_TRUE (bundle.getChildFile (juce::URL::removeEscapeChars (binary)).existsAsFile()) << binary;

    // Hosts address each parameter by its own resource.
    const auto dsp = bundle.getChildFile ("dsp.ttl").loadFileAsString();
    for (auto* name : { "Volume", "Pan", "LPFCutoff", "HPFCutoff" })
        EXPECT_TRUE (dsp.contains ("plug:" + juce::String (name) + "\n\ta lv2:Parameter ;\n\trdfs:label \"" + name + "\"")) << name;
}
